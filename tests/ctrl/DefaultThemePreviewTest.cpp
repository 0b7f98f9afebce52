// Renders a few tiles, group headers, a tip and a window frame with the default control theme
// into build/default-theme-preview.png, for a person to look at. It checks that every picture
// of the theme loads and draws; the look itself is judged by eye.
#include <gtest/gtest.h>

#include <string>

#include "config/NV_Entries.h"
#include "config/NV_PathMacros.h"
#include "ctrl/NV_SkinBuffer.h"
#include "ctrl/NV_SmartCtrl.h"
#include "ctrl/NV_ThemeResult.h"
#include "gfx/Draw.h"
#include "gfx/PngCodec.h"
#include "gfx/Text.h"

using namespace ctrl;

namespace {

const std::string kApp = NORVO_APP_FOLDER;  // the build folder is an application folder
const std::string kThemeData = kApp + "/Data/Themes/Controls/Default/ThemeData.NVS";
const std::string kTheme = kApp + "/Data/Themes/Controls/Default/";

struct TEntry {
  const char* Skin;
  const char* Section;
  const char* Entry;
  const char* File;
};

const TEntry kEntries[] = {
    {"ItemNormalBack", "FileHolder", "Image(Item.Normal)", "Items/ItemNormalBack.png"},
    {"ItemHotBack", "FileHolder", "Image(Item.Hot)", "Items/ItemHotBack.png"},
    {"ItemSelBack", "FileHolder", "Image(Item.Selected)", "Items/ItemSelBack.png"},
    {"ItemHotSelBack", "FileHolder", "Image(Item.HotSelected)", "Items/ItemHotSelBack.png"},
    {"GroupNormalBack", "FileHolder", "Image(Group.Normal)", "Items/GroupNormalBack.png"},
    {"GroupHotBack", "FileHolder", "Image(Group.Hot)", "Items/GroupHotBack.png"},
    {"GroupSelBack", "FileHolder", "Image(Group.Selected)", "Items/GroupSelBack.png"},
    {"GroupHotSelBack", "FileHolder", "Image(Group.HotSelected)", "Items/GroupHotSelBack.png"},
    {"SelectTipBack", "SelectTip", "Image(Background)", "SelectTip/Background.png"},
    {"WindowBack", "SmartWindow", "Image(Background)", "SmartWindow/ControlBack.png"},
};

}  // namespace

TEST(DefaultThemePreview, EveryPictureLoadsAndDraws) {
  TSkinBuffer skin;
  for (const TEntry& e : kEntries) {
    config::TResizeParams params;
    config::LoadResizeParams(kThemeData, e.Section, e.Entry, "", params);
    ASSERT_GE(skin.LoadImage(e.Skin, kTheme + e.File, params), 0) << e.File;
    ASSERT_FALSE(skin.GetImageData(e.Skin)->IMD_LOADING) << e.File;
  }
  ASSERT_GE(skin.LoadImage("ItemNew", kTheme + "Items/ItemNew.png"), 0);

  gfx::TBitmap32 canvas(560, 300);
  canvas.Clear(gfx::clWhite32);
  const char* states[] = {"ItemNormal", "ItemHot", "ItemSel", "ItemHotSel"};
  const char* fonts[] = {"Item.Normal", "Item.Hot", "Item.Selected", "Item.HotSelected"};
  const char* groups[] = {"GroupNormalBack", "GroupHotBack", "GroupSelBack", "GroupHotSelBack"};
  for (int i = 0; i < 4; ++i) {
    const gfx::TRect header = gfx::Bounds(16 + i * 132, 14, 124, 24);
    skin.DrawImage(groups[i], canvas, header, true);
    gfx::TFont32 font;
    config::LoadFontEntry(font, kThemeData, "FileHolder", fonts[i], "");
    canvas.Font() = font;
    gfx::TextRect(canvas, header, "Folders", {gfx::TTextAlign::taCenter, true, true});
    const gfx::TRect tile = gfx::Bounds(16 + i * 132, 48, 124, 48);
    skin.DrawImage(std::string(states[i]) + "Back", canvas, tile, true);
    gfx::FillRect(canvas, gfx::Bounds(tile.Left + 8, tile.Top + 8, 32, 32), gfx::Color32FromColor(0x4AB4F0));
    gfx::TextRect(canvas, gfx::Rect(tile.Left + 48, tile.Top, tile.Right - 6, tile.Bottom), "Holiday photos 2026",
                  {gfx::TTextAlign::taLeft, true, true});
  }
  skin.DrawImage("ItemNew", canvas, 16 + 132 - 8, 48 - 5, true);
  skin.DrawImage("SelectTipBack", canvas, gfx::Bounds(20, 130, 180, 48), true);
  config::LoadFontEntry(canvas.Font(), kThemeData, "SelectTip", "Text.Normal", "");
  gfx::TextOut(canvas, 34, 140, "3 items selected");
  gfx::TextOut(canvas, 34, 158, "2.41 MB", gfx::Color32FromColor(0x6B6B6B));
  skin.DrawImage("WindowBack", canvas, gfx::Bounds(240, 120, 290, 160), true);
  config::LoadFontEntry(canvas.Font(), kThemeData, "SmartWindow", "Window.Caption", "");
  gfx::TextOut(canvas, 254, 126, "Customize folder");

  // Something of every state reached the canvas.
  EXPECT_NE(canvas.Pixel(16 + 132 + 60, 50), gfx::clWhite32);      // hot tile
  EXPECT_NE(canvas.Pixel(16 + 3 * 132 + 60, 50), gfx::clWhite32);  // hot and selected tile
  EXPECT_NE(canvas.Pixel(250, 135), gfx::clWhite32);               // window header band
  ASSERT_TRUE(gfx::SavePngFile(canvas, kApp + "/default-theme-preview.png"));
}

namespace {
class TBubble : public TSmartCtrl {
  NV_CTRL_CLASS(TBubble, TSmartCtrl)
 public:
  explicit TBubble(TSkinBuffer* skin) {
    Parts().SC_SKIN = skin;
    SC_POS = {20, 10};
    SC_WIDTH = 120;
    SC_HEIGHT = 40;
  }
};
}  // namespace

TEST(DefaultThemePreview, StandardBackgroundGivesInsetsAndPaintsOverTheControl) {
  config::TPathContext context = *config::PathContext();
  const config::TPathContext saved = context;
  context.AppFolder = kApp;
  config::SetPathContext(context);
  TSkinBuffer skin;
  auto bubble = TSmartCtrl::Create<TBubble>(&skin);
  TThemeResult theme;
  EXPECT_FALSE(theme.LoadStandardBackground("SelectTip", "ControlThemePath:\\SelectTip\\Missing.png"));
  ASSERT_TRUE(theme.LoadStandardBackground("SelectTip", "ControlThemePath:\\SelectTip\\Background.png"));
  EXPECT_EQ(bubble->Parts().SC_OFFSET_LEFT, 0);  // nothing reaches the control before it is applied
  EXPECT_EQ(skin.GetImageData("ControlBack"), nullptr);
  bubble->On_LoadThemeEnd(theme);
  EXPECT_EQ(bubble->Parts().SC_OFFSET_LEFT, 12);  // the WorkArea of "Image(Background)"
  EXPECT_EQ(bubble->Parts().SC_OFFSET_TOP, 8);
  EXPECT_EQ(bubble->Parts().SC_RECT.Left(), bubble->SC_POS.X + 12);  // arranged with the new insets
  bubble->SetPosition({20, 10});
  gfx::TBitmap32 canvas(200, 80);
  canvas.Clear(gfx::Color32(200, 0, 0));
  bubble->On_Paint(canvas);
  EXPECT_EQ(canvas.Pixel(80, 30), gfx::clWhite32);  // the bubble's white surface over the control
  EXPECT_EQ(canvas.Pixel(190, 70), gfx::Color32(200, 0, 0));  // nothing beyond its shadow
  config::SetPathContext(saved);
}
