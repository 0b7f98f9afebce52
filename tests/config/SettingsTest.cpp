#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "AppFolderFixture.h"
#include "config/NV_Convert.h"
#include "config/NV_Entries.h"
#include "config/NV_Ini.h"
#include "config/NV_Settings.h"

namespace config {
namespace {

// Every option away from its default, in the stored form.
const char* const kEveryOption =
    "[Norvo]\n"
    "Theming=ControlTheme(Dark), FilesTheme(Flat), ButtonTheme(Round), BackgroundMode(SlideShow)\n"
    "StartUp=RestoreLastSession(0), RestorePosition(1), RestoreWH(1)\n"
    "Media=NavSound(/snd/click.wav), PlayNavSound(0)\n"
    "Window=PosX(11), PosY(12), Width(13), Height(14), Maximized(1)\n"
    "Mouse=ClickDelay(300), ClickScroll(11), StickyScroll(0), WheelScroll(6), DragThreshold(7)\n"
    "Browsing=HideHidden(0), HideSystem(0), HideFileExtension(0), ShowFoldersFirst(0), "
    "ItemWidth(181), "
    "ItemHeight(49), HideFloppy(0), HideFloppyA(0), HideFloppyB(0), R.C.I.T.(0), R.C.I.T.Value(3), "
    "AnimBackground(0), AnimBackgroundStep(6)\n"
    "General=Lang(Deutsch), TipDistance(11), FolderGroup(0)\n"
    "QuickBar=ShowHint(0), ItemSize(49), ItemSpacing(11)\n"
    "ActionBar=ShowHint(0), ItemSize(25), ItemSpacing(12)\n"
    "PathBar=ShowHint(0), ItemSize(26), ItemSpacing(13)\n"
    "SmartEdit=PreviewSelected(0), MenuAutoShow(0)\n"
    "SmartTabs=Height(29), TabPreview(0), StickTabPreview(1), SmallTabsLeft(1), SmallTabsRight(1), "
    "SmallButtonsLeft(1), SmallButtonsRight(0), ShowAddTab(0), TabSpacing(3), ButtonSpacing(4), "
    "ButtonToTabSpacing(5), ButtonWidthMax(116), TabWidthMin(27), TabWidthMax(151), MaxRecent(9), "
    "SaveRecent(0)\n"
    "SmartMenu=PopUpOffset(1), ItemSize(24), ItemSpacing(6), MenuWidth(251)\n"
    "Paths=GeneralImage(a.jpg), SearchImage(b.jpg), QDriveImage(c.jpg)\n"
    "Cache=PictureMiB(300)\n";

TOptions EveryOption() {
  TOptions o;
  o.Theming = {"Dark", "Flat", "Round", "SlideShow"};
  o.StartUp = {false, true, true};
  o.Media = {"/snd/click.wav", false};
  o.Window = {11, 12, 13, 14, true};
  o.Mouse = {300, 11, false, 6, 7};
  o.Browsing = {false, false, false, false, 181, 49, false, false, false, false, 3, false, 6};
  o.General = {"Deutsch", 11, false};
  o.QuickBar = {false, 49, 11};
  o.ActionBar = {false, 25, 12};
  o.PathBar = {false, 26, 13};
  o.SmartEdit = {false, false};
  o.SmartTabs = {29, false, true, true, true, true, false, false, 3, 4, 5, 116, 27, 151, 9, false};
  o.SmartMenu = {1, 24, 6, 251};
  o.Paths = {"a.jpg", "b.jpg", "c.jpg"};
  o.Cache = {300};
  return o;
}

class OptionsTest : public testing::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    EnterAppFolder();
    SetOptions(TOptions());
  }
  void TearDown() override {
    SetOptions(TOptions());
    AppFolderTest::TearDown();
  }
};
using OptionsLoad = OptionsTest;

TEST_F(OptionsLoad, EveryOptionIsReadFromItsKey) {
  WriteFile("Data/Settings.NVS", kEveryOption);
  LoadOptions();
  EXPECT_TRUE(*Options() == EveryOption());
  EXPECT_EQ(ResolvePath("ControlThemePath:\\x.png"), Root + "/Data/Themes/Controls/Dark/x.png");
  EXPECT_EQ(ResolvePath("LangFile:\\"), Root + "/Data/Language/Deutsch.NVL");
}

TEST_F(OptionsLoad, DefaultsWithoutValues) {
  for (const char* file : std::initializer_list<const char*>{"", "[Norvo]\n", nullptr}) {
    SetOptions(EveryOption());
    std::filesystem::remove(Settings);
    if (file) WriteFile("Data/Settings.NVS", file);
    LoadOptions();
    TOptions expected;
    expected.Media = EveryOption().Media;  // the sound settings in effect stay
    EXPECT_TRUE(*Options() == expected) << (file ? file : "(no file)");
    EXPECT_EQ(ResolvePath("ControlThemePath:\\"), Root + "/Data/Themes/Controls/Default/");
  }
}

TEST_F(OptionsLoad, TheBundledFileHoldsTheDefaults) {
  std::filesystem::path source =
      std::filesystem::path(__FILE__).parent_path() / "../../data/Settings.NVS";
  std::filesystem::copy_file(source, Settings);
  SetOptions(EveryOption());
  LoadOptions();
  EXPECT_TRUE(*Options() == TOptions());
}

// The bundled file also reads correctly for a reader that finds a name at the end of a longer
// one: within each key, the first occurrence of every 'Name(' starts its own item.
TEST_F(OptionsLoad, TheBundledFileSuitsSubstringReaders) {
  std::filesystem::path source =
      std::filesystem::path(__FILE__).parent_path() / "../../data/Settings.NVS";
  std::optional<TIniFile> ini = LoadIniFile(source.string());
  ASSERT_TRUE(ini);
  std::vector<TIniEntry> entries = ini->Entries();
  EXPECT_EQ(entries.size(), 15u);
  for (const TIniEntry& entry : entries) {
    std::string value = entry.Value;
    for (size_t open = value.find('('); open != std::string::npos;
         open = value.find('(', open + 1)) {
      size_t start = open;
      while (start > 0 && (std::isalnum(static_cast<unsigned char>(value[start - 1])) ||
                           value[start - 1] == '.'))
        --start;
      std::string key = value.substr(start, open + 1 - start);
      EXPECT_EQ(value.find(key), start) << entry.Key << ": " << key;
    }
  }
}

// One load reads the settings file once: the kernel's file events count every open of it.
TEST_F(OptionsLoad, OneLoadReadsTheFileOnce) {
  WriteFile("Data/Settings.NVS", kEveryOption);
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, Settings.c_str(), IN_OPEN), 0);
  EXPECT_NO_THROW(LoadOptions());
  EXPECT_TRUE(*Options() == EveryOption());
  int opens = 0;
  alignas(inotify_event) char buffer[4096];
  for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;)
    for (char* at = buffer; at < buffer + n; at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
      opens += (reinterpret_cast<inotify_event*>(at)->mask & IN_OPEN) != 0;
  close(watch);
  EXPECT_EQ(opens, 1);
}

TEST_F(OptionsLoad, SizesThatDivideAreAtLeastOne) {
  WriteFile("Data/Settings.NVS",
            "[Norvo]\n"
            "Browsing=ItemWidth(0), ItemHeight(-4)\n"
            "QuickBar=ItemSize(0)\nActionBar=ItemSize(-1)\nPathBar=ItemSize(0)\n"
            "SmartTabs=Height(0), TabWidthMin(0), TabWidthMax(-9), TabSpacing(-3)\n"
            "SmartMenu=ItemSize(0), MenuWidth(0), ItemSpacing(-2)\n"
            "Mouse=ClickDelay(-1), DragThreshold(500)\n");
  LoadOptions();
  std::shared_ptr<const TOptions> o = Options();
  for (int size :
       {o->Browsing.ItemWidth, o->Browsing.ItemHeight, o->QuickBar.ItemSize, o->ActionBar.ItemSize,
        o->PathBar.ItemSize, o->SmartTabs.Height, o->SmartTabs.TabWidthMin,
        o->SmartTabs.TabWidthMax, o->SmartMenu.ItemSize, o->SmartMenu.MenuWidth})
    EXPECT_EQ(size, 1);
  // Everything else is taken as it is.
  EXPECT_EQ(o->SmartTabs.TabSpacing, -3);
  EXPECT_EQ(o->SmartMenu.ItemSpacing, -2);
  EXPECT_EQ(o->Mouse.ClickDelay, -1);
  EXPECT_EQ(o->Mouse.DragThreshold, 500);
}

TEST_F(OptionsLoad, AMalformedValueStopsTheLoadThere) {
  SetOptions(EveryOption());
  WriteFile("Data/Settings.NVS",
            "[Norvo]\nTheming=ControlTheme(Blue)\nWindow=PosX(100)\n"
            "Mouse=ClickDelay(abc), ClickScroll(99)\nBrowsing=ItemWidth(77)\n");
  try {
    LoadOptions();
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "''abc'' is not a valid integer value");
  }
  std::shared_ptr<const TOptions> o = Options();
  EXPECT_EQ(o->Theming.ControlTheme, "Blue");  // read before the error
  EXPECT_EQ(o->Theming.FilesTheme, "Default");
  EXPECT_EQ(o->Window.PosX, 100);
  EXPECT_EQ(o->Window.PosY, 10);
  EXPECT_EQ(o->Mouse.ClickDelay, 300);  // the malformed one and all after it keep their values
  EXPECT_EQ(o->Mouse.ClickScroll, 11);
  EXPECT_EQ(o->Browsing.ItemWidth, 181);
  EXPECT_EQ(o->General.Lang, "Deutsch");
  EXPECT_EQ(ResolvePath("ControlThemePath:\\"), Root + "/Data/Themes/Controls/Blue/");
}

TEST_F(OptionsLoad, NavigationSoundSurvivesAReloadWithoutIt) {
  WriteFile("Data/Settings.NVS", "[Norvo]\nMedia=NavSound(/snd/a.wav), PlayNavSound(0)\n");
  LoadOptions();
  IniWriteString(Settings, "Norvo", "Media", "");
  LoadOptions();
  EXPECT_EQ(Options()->Media.NavSound, "/snd/a.wav");
  EXPECT_FALSE(Options()->Media.PlayNavSound);
  EXPECT_EQ(TOptions().Media.NavSound, kDefaultNavSound);
}

TEST_F(OptionsLoad, DamagedSettingsFilesGiveDefaults) {
  const std::string files[] = {
      "garbage\n=\n[[[\n]]]\n;;;\n\x01\x02\n",
      "Norvo=ClickDelay(1)\nMouse=ClickDelay(1)\n",            // no sections at all
      "[Norvo]\nMouse=\xFF\xFE\xC0(\n\xED\xA0\x80=1\n",        // not UTF-8
      "[Norvo]\nGeneral=" + std::string(1 << 20, 'x') + "\n",  // a 1 MB line
      "[Norvo]\nSmartMenu=MenuWidth(",
      std::string("[Norvo]\0\nMouse=\0", 16),
  };
  for (const std::string& file : files) {
    SetOptions(TOptions());
    WriteFile("Data/Settings.NVS", file);
    EXPECT_NO_THROW(LoadOptions());
    EXPECT_TRUE(*Options() == TOptions()) << file.substr(0, 40);
  }
}

TEST_F(OptionsLoad, WindowPlacement) {
  WriteFile("Data/Settings.NVS",
            "[Norvo]\nStartUp=RestorePosition(1)\nWindow=PosX(100), Maximized(1)\n");
  LoadOptions();
  EXPECT_TRUE(Options()->Window.Maximized);
  EXPECT_EQ(Options()->Window.PosX, 100);
  EXPECT_TRUE(SaveWindowPlacement({true, 5, 6, 700, 500}));
  EXPECT_EQ(ReadSetting("Norvo", "Window", ""), "PosX(100), Maximized(1)");  // maximized: only that
  EXPECT_TRUE(SaveWindowPlacement({false, 5, 6, 700, 500}));
  EXPECT_EQ(ReadSetting("Norvo", "Window", ""), "PosX(5), Maximized(0), PosY(6)");  // not RestoreWH

  IniWriteString(Settings, "Norvo", "StartUp", "RestorePosition(0), RestoreWH(1)");
  LoadOptions();
  EXPECT_TRUE(SaveWindowPlacement({false, 1, 2, 640, 480}));
  EXPECT_EQ(ReadSetting("Norvo", "Window", ""),
            "PosX(5), Maximized(0), PosY(6), Width(640), Height(480)");

  std::filesystem::remove(Settings);
  EXPECT_FALSE(SaveWindowPlacement({false, 1, 2, 3, 4}));
  EXPECT_FALSE(std::filesystem::exists(Settings));
}

TEST_F(OptionsLoad, SettingsDialogWrites) {
  WriteFile("Data/Settings.NVS", "[Norvo]\nMouse=ClickDelay(250)\nTheming=ControlTheme(Default)\n");
  EXPECT_FALSE(WriteOption("Mouse", "DragThreshold", 12));
  EXPECT_EQ(Options()->Mouse.DragThreshold, 12);  // reloaded at once
  EXPECT_FALSE(WriteOption("Browsing", "HideHidden", false));
  EXPECT_FALSE(Options()->Browsing.HideHidden);
  EXPECT_EQ(ReadSetting("Norvo", "Browsing", ""), "HideHidden(0)");
  EXPECT_TRUE(WriteOption("Theming", "ControlTheme", "Dark"));  // a theme changed: restart
  EXPECT_FALSE(WriteOption("Theming", "ControlTheme", "Dark"));
  EXPECT_FALSE(WriteOption("Theming", "BackgroundMode", "Separate"));
  EXPECT_EQ(Options()->Theming.ControlTheme, "Dark");
  EXPECT_EQ(ReadSetting("Norvo", "Theming", ""), "ControlTheme(Dark), BackgroundMode(Separate)");
  EXPECT_THROW(WriteOption("Mouse", "ClickDelay", "soon"), EConvertError);
  EXPECT_EQ(ReadSetting("Norvo", "Mouse", ""), "ClickDelay(soon), DragThreshold(12)");
}

using OptionsThreads = OptionsTest;

// Workers read the options while the interface thread reloads two alternating files: each
// snapshot is one whole file, never a mixture, and the sanitizer sees no race.
TEST_F(OptionsThreads, ReadsDuringReloads) {
  const std::string fileA =
      "[Norvo]\nBrowsing=ItemWidth(100), ItemHeight(100)\nTheming=ControlTheme(A)\n";
  const std::string fileB =
      "[Norvo]\nBrowsing=ItemWidth(200), ItemHeight(200)\nTheming=ControlTheme(B)\n";
  WriteFile("Data/Settings.NVS", fileA);
  LoadOptions();
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 3; ++r)
    readers.emplace_back([&] {
      while (!stop.load()) {
        std::shared_ptr<const TOptions> o = Options();
        bool a = o->Browsing.ItemWidth == 100 && o->Browsing.ItemHeight == 100 &&
                 o->Theming.ControlTheme == "A";
        bool b = o->Browsing.ItemWidth == 200 && o->Browsing.ItemHeight == 200 &&
                 o->Theming.ControlTheme == "B";
        std::string theme = ResolvePath("ControlThemePath:\\");
        if (!(a || b) || theme.empty()) torn++;
      }
    });
  for (int i = 0; i < 40; ++i) {
    WriteFile("Data/Settings.NVS", i % 2 ? fileA : fileB);
    LoadOptions();
  }
  stop = true;
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(torn.load(), 0);
}

}  // namespace
}  // namespace config
