#include <filesystem>

#include "AppFolderFixture.h"
#include "config/NV_Convert.h"
#include "config/NV_Entries.h"
#include "config/NV_Ini.h"

namespace config {
namespace {

using Entries = testing::AppFolderTest;

TEST_F(Entries, LoadFromIniKeepsTheKeyInFront) {
  WriteFile("Data/Theme.NVS", "[Items]\nImage(Background) = DrawMode(stretch)\n");
  TParamString ps;
  EXPECT_TRUE(ps.LoadFromIni("DataPath:\\Theme.NVS", "items", "Image(Background)", ""));
  EXPECT_EQ(ps.PS_STRING, "Image(Background) = DrawMode(stretch)");
  EXPECT_FALSE(ps.LoadFromIni("DataPath:\\Theme.NVS", "Items", "Missing", "DrawMode(full)"));
  EXPECT_EQ(ps.PS_STRING, "Missing = DrawMode(full)");
  EXPECT_FALSE(
      ps.LoadFromIni("DataPath:\\Theme.NVS", "Items", "Image(Background)", "DrawMode(stretch)"));

  TParamString untouched{"keep"};
  EXPECT_FALSE(untouched.LoadFromIni("DataPath:\\None.NVS", "Items", "Image(Background)", ""));
  EXPECT_EQ(untouched.PS_STRING, "keep");
}

TEST_F(Entries, LoadedValuesDoNotGrowWhenSaved) {
  WriteFile("Data/Settings.NVS", "[Norvo]\nThemeWindow=LastPath(/a), Width(300)\n");
  for (int round = 0; round < 3; ++round) {
    TParamString ps;
    ASSERT_TRUE(ps.LoadFromIni("SettingsFile:\\", "Norvo", "ThemeWindow", ""));
    ps.SetParam("LastPath", "/b" + std::to_string(round));
    ASSERT_TRUE(ps.SaveToIni("SettingsFile:\\", "Norvo", "ThemeWindow"));
  }
  EXPECT_EQ(ReadSetting("Norvo", "ThemeWindow", ""), "LastPath(/b2), Width(300)");
}

TEST_F(Entries, SaveToIniNeverMakesTheFile) {
  TParamString ps{"A(1)"};
  EXPECT_FALSE(ps.SaveToIni("SettingsFile:\\", "Norvo", "K"));
  EXPECT_FALSE(ps.SaveToIni("SettingsFile:\\", "Norvo", "K", "A", 2));
  EXPECT_FALSE(std::filesystem::exists(Settings));

  WriteFile("Data/Settings.NVS", "[Norvo]\nMouse=ClickDelay(250), X(a=b)\n");
  EXPECT_TRUE(ps.SaveToIni("SettingsFile:\\", "Norvo", "Mouse", "ClickDelay", 300));
  EXPECT_TRUE(ps.SaveToIni("SettingsFile:\\", "Norvo", "Mouse", "Sticky", true));
  EXPECT_EQ(ReadSetting("Norvo", "Mouse", ""), "ClickDelay(300), X(a=b), Sticky(1)");
  EXPECT_EQ(ps.PS_STRING, "ClickDelay(300), X(a=b), Sticky(1)");
}

TEST_F(Entries, ReadSettingDefaults) {
  EXPECT_EQ(ReadSetting("Norvo", "Mouse", "d"), "d");  // no file
  WriteFile("Data/Settings.NVS", "[Norvo]\nMouse = x\n");
  EXPECT_EQ(ReadSetting("norvo", "MOUSE", "d"), "x");
  EXPECT_EQ(ReadSetting("Norvo", "Window", "d"), "d");
  EXPECT_EQ(ReadSetting("Other", "Mouse", "d"), "d");
}

TEST_F(Entries, WriteIniParam) {
  std::string file =
      WriteFile("Data/T.NVS", "[S]\nFont=Name(Arial)\nEmpty=\nOther=CMD(a=b),,X(1)\n");
  struct Case {
    const char* Ident;
    const char* Param;
    const char* Value;
    const char* Stored;
  } cases[] = {
      {"Font", "Size", "12", "Name(Arial), Size(12)"},
      {"Empty", "Size", "12", "Size(12)"},       // ' Size(12)', trimmed when read
      {"Other", "X", "2", "CMD(a=b),,X(2)"},     // nothing else of the value changes
      {"Other", "x", "3", "CMD(a=b),,X(3)"},     // the shared locator: names without case (A-Z)
      {"Font", "Name", "", "Name(), Size(12)"},  // an empty value is stored, not removed
      {"New", "P", "", "P()"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(WriteIniParam(file, "S", c.Ident, c.Param, c.Value));
    EXPECT_EQ(IniReadString(file, "S", c.Ident, "?"), c.Stored) << c.Ident << "." << c.Param;
  }
  EXPECT_NE(ReadFile("Data/T.NVS").find("Empty= Size(12)\n"), std::string::npos);
}

// A stored value with a bracket that never closes takes an item once and keeps it.
TEST_F(Entries, WritesAfterAValueNeverClosedDoNotGrowTheFile) {
  std::string file = WriteFile("Data/Settings.NVS", "[Norvo]\nFont=Name(x\nMouse=Cmd(a, Delay(1)\n");
  for (int round = 0; round < 3; ++round) {
    EXPECT_TRUE(WriteIniParam(file, "Norvo", "Font", "Size", 5));
    TParamString ps;
    EXPECT_TRUE(ps.SaveToIni("SettingsFile:\\", "Norvo", "Mouse", "Delay", 2));
  }
  EXPECT_EQ(IniReadString(file, "Norvo", "Font", ""), "Name(x), Size(5)");
  EXPECT_EQ(IniReadString(file, "Norvo", "Mouse", ""), "Cmd(a, Delay(1)), Delay(2)");
  gfx::TFont32 font;
  TParamString stored;
  stored.LoadFromIni("SettingsFile:\\", "Norvo", "Font", "");
  ApplyFontSpec(font, stored.PS_STRING);
  EXPECT_EQ(font.Name, "x");
  EXPECT_EQ(font.Size, 5);
}

TEST_F(Entries, WriteIniParamMakesFilesOnlyInExistingFolders) {
  EXPECT_FALSE(WriteIniParam(PathOf("Nowhere/ThemeData.NVS"), "S", "K", "P", 1));
  EXPECT_FALSE(std::filesystem::exists(PathOf("Nowhere")));
  EXPECT_TRUE(WriteIniParam(PathOf("Data/ThemeData.NVS"), "FileHolder", "Image(Background)",
                            "Align", "TopLeft"));
  EXPECT_EQ(IniReadString(PathOf("Data/ThemeData.NVS"), "FileHolder", "Image(Background)", ""),
            "Align(TopLeft)");
}

TEST(ResizeParams, Read) {
  struct Case {
    const char* Text;
    TResizeParams Expected;
  } cases[] = {
      {"", {TResizeMode::rmFull, 2, 2, 2, 2, 0, 0, 0, 0}},
      {"DrawMode(Stretch)", {TResizeMode::rmNone, 2, 2, 2, 2, 0, 0, 0, 0}},  // exact words only
      {"DrawMode(stretchprop)", {TResizeMode::rmStretchProp, 2, 2, 2, 2, 0, 0, 0, 0}},
      {"DrawMode(horiz)", {TResizeMode::rmHorizontal, 2, 2, 2, 2, 0, 0, 0, 0}},
      {"DrawMode(vert)", {TResizeMode::rmVertical, 2, 2, 2, 2, 0, 0, 0, 0}},
      {"DrawMode(none)", {TResizeMode::rmNone, 2, 2, 2, 2, 0, 0, 0, 0}},
      {"Margins(Left[0])", {TResizeMode::rmFull, 2, 2, 0, 2, 0, 0, 0, 0}},
      {"DrawMode(stretch), Margins(Left[1], Top[2], Right[3], Bottom[4]), "
       "DrawOffset(Left[5], Top[6], Right[7], Bottom[-8])",
       {TResizeMode::rmStretch, 2, 4, 1, 3, 5, 6, 7, -8}},
      {"DrawOffset(Left(9))",
       {TResizeMode::rmFull, 2, 2, 2, 2, 0, 0, 0, 0}},  // inner items use [ ]
  };
  for (const Case& c : cases) {
    TResizeParams params;
    params.MarginTop = 99;
    ReadResizeParams(c.Text, params);
    EXPECT_EQ(params, c.Expected) << c.Text;
  }
  TResizeParams params;
  EXPECT_THROW(ReadResizeParams("Margins(Top[x])", params), EConvertError);
}

TEST_F(Entries, LoadResizeParamsAndWorkArea) {
  WriteFile("Data/T.NVS",
            "[Bar]\nImage(Back)=WorkArea(Left[6], Top[2], Right[6], Bottom[2]), DrawMode(vert)\n");
  TResizeParams params;
  LoadResizeParams("DataPath:\\T.NVS", "Bar", "Image(Back)", "", params);
  EXPECT_EQ(params.ResizeType, TResizeMode::rmVertical);
  LoadResizeParams("DataPath:\\T.NVS", "Bar", "Image(Cursor)", "DrawMode(stretch)", params);
  EXPECT_EQ(params.ResizeType, TResizeMode::rmStretch);

  int l = -1, t = -1, r = -1, b = -1;
  LoadWorkArea(l, t, r, b, "DataPath:\\T.NVS", "Bar", "Image(Back)",
               "Left(0), Top(0), Right(0), Bottom(0)");
  EXPECT_EQ((std::vector<int>{l, t, r, b}), (std::vector<int>{6, 2, 6, 2}));
  // The usual default holds no "WorkArea" item: a missing key gives zeros.
  LoadWorkArea(l, t, r, b, "DataPath:\\T.NVS", "Bar", "Image(None)",
               "Left(1), Top(20), Right(6), Bottom(20)");
  EXPECT_EQ((std::vector<int>{l, t, r, b}), (std::vector<int>{0, 0, 0, 0}));
}

TEST(AreaTexts, WorkAreasAndRectangles) {
  int l = -1, t = -1, r = -1, b = -1;
  ReadWorkArea("Image(Bar) = WorkArea(Left[6], Bottom[-2]), Left(9)", l, t, r, b);
  EXPECT_EQ((std::vector<int>{l, t, r, b}), (std::vector<int>{6, 0, 0, -2}));
  ReadWorkArea("Left[1], WorkArea(Top(3))", l, t, r, b);  // only [ ] items inside WorkArea
  EXPECT_EQ((std::vector<int>{l, t, r, b}), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_THROW(ReadWorkArea("WorkArea(Top[x])", l, t, r, b), EConvertError);

  gfx::TRect rect;
  ReadRectEntry("Rect(Caption) = Left(5), Bottom(-3), Inner(Top(1))", rect);
  EXPECT_EQ(rect, gfx::Rect(5, 2, 2, -3));
  EXPECT_THROW(ReadRectEntry("Top(1.5)", rect), EConvertError);
}

TEST_F(Entries, FontEntriesRoundTrip) {
  std::string file =
      WriteFile("Data/T.NVS", "[Items]\nFont(Item.Hot)=Name(Calibri), Size(11), Bold(1)\n");
  gfx::TFont32 font;
  font.Name = "Sans";
  font.Size = 9;
  font.Color = 0x123456;
  font.Italic = true;
  LoadFontEntry(font, "DataPath:\\T.NVS", "Items", "Item.Hot", "");
  EXPECT_EQ(font.Name, "Calibri");
  EXPECT_EQ(font.Size, 11);
  EXPECT_EQ(font.Color, 0x123456);  // missing: the font's own
  EXPECT_TRUE(font.Bold);
  EXPECT_FALSE(font.Italic);  // missing: off

  font.Color = 0x0000FF;
  font.Italic = true;
  SaveFontEntry(font, file, "Items", "Item.Sel");
  EXPECT_EQ(IniReadString(file, "Items", "Font(Item.Sel)", ""),
            "Name(Calibri), Color(255), Size(11), Bold(1), Italic(1)");
  gfx::TFont32 back;
  LoadFontEntry(back, "DataPath:\\T.NVS", "Items", "Item.Sel", "");
  EXPECT_EQ(back, font);

  gfx::TFont32 spec;
  ApplyFontSpec(spec, "Color($FF0000), Italic(True)");
  EXPECT_EQ(spec.Color, 0xFF0000);
  EXPECT_TRUE(spec.Italic);
  EXPECT_THROW(ApplyFontSpec(spec, "Size(big)"), EConvertError);
}

TEST_F(Entries, RectEntry) {
  WriteFile("Data/T.NVS", "[S]\nRect(Caption)=Left(5), Right(-3)\n");
  gfx::TRect rect;
  LoadRectEntry(rect, "DataPath:\\T.NVS", "S", "Caption", "");
  EXPECT_EQ(rect, gfx::Rect(5, 2, -3, 2));
  LoadRectEntry(rect, "DataPath:\\T.NVS", "S", "Missing", "Top(7)");
  EXPECT_EQ(rect, gfx::Rect(2, 7, 2, 2));
}

}  // namespace
}  // namespace config
