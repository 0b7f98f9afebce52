#include <unistd.h>

#include <filesystem>

#include "AppFolderFixture.h"
#include "config/NV_PathMacros.h"

namespace config {
namespace {

TEST(PathMacros, ResolveTable) {
  TPathContext c;
  c.AppFolder = "/opt/App";
  c.ControlTheme = "Dark";
  c.ButtonTheme = "Round";
  c.FilesTheme = "Flat";
  c.Lang = "Deutsch";
  struct Case {
    const char* Text;
    const char* Expected;
  } cases[] = {
      {"SettingsFile:\\", "/opt/App/Data/Settings.NVS"},
      {"controlthemepath:\\QuickBar\\Back.png",
       "/opt/App/Data/Themes/Controls/Dark/QuickBar/Back.png"},
      {"AppPath:\\Icons\\a.png", "/opt/App/Icons/a.png"},
      {"LangPath:\\x.NVL", "/opt/App/Data/Language/x.NVL"},
      {"DataPath:\\Types.NVS", "/opt/App/Data/Types.NVS"},
      {"ButtonsTheme:\\Back.png", "/opt/App/Data/Themes/Buttons/Round/Back.png"},
      {"FilesThemePath:\\Unknown.png", "/opt/App/Data/Themes/FileIcons/Flat/Unknown.png"},
      {"TemplatePath:\\Text.txt", "/opt/App/Data/FileTemplates/Text.txt"},
      {"About:\\", "/opt/App/Data/Language/Deutsch.NVA"},
      {"LangFile:\\anything", "/opt/App/Data/Language/Deutsch.NVL"},  // the rest is dropped
      {"ControlTheme:\\", "/opt/App/Data/Themes/Controls/Dark/ThemeData.NVS"},
      {"MenuFile:\\", "/opt/App/Data/Menus.NVS"},
      {"TypesFile:\\", "/opt/App/Data/Types.NVS"},
      {"QDrive:\\", "QDrive:\\"},
      {"/data/Temp", "/data/Temp"},
      {"/data/a\\b", "/data/a\\b"},                          // without a macro nothing is rewritten
      {"pre\\fix AppPath:\\a\\b", "pre\\fix /opt/App/a/b"},  // only what follows the macro
      {"AppPath:\\a\\AppPath:\\b", "/opt/App/a//opt/App/b"},  // every occurrence
      {"AppPath:\\x SettingsFile:\\",
       "/opt/App/Data/Settings.NVS"},  // the last matching row decides
      {"SettingsFile:\\ AppPath:\\x", "/opt/App/Data/Settings.NVS"},
  };
  for (const Case& k : cases) EXPECT_EQ(ResolvePath(k.Text, c), k.Expected) << k.Text;
}

using PathMacroFiles = testing::AppFolderTest;

TEST_F(PathMacroFiles, DocumentsComeFromTheShell) {
  Shell.Folders[platform::TSpecialFolder::sfDocuments] = "/home/u/Documents";
  EXPECT_EQ(ResolvePath("MyDocuments:\\"), "/home/u/Documents/");
  Shell.Folders.clear();
  EXPECT_EQ(ResolvePath("MyDocuments:\\"), "");
}

TEST_F(PathMacroFiles, MakeAppRelativeComparesExactly) {
  EXPECT_EQ(MakeAppRelative(Root + "/Icons/a.png"), "AppPath:\\Icons/a.png");
  EXPECT_EQ(ResolvePath(MakeAppRelative(Root + "/Icons/a.png")), Root + "/Icons/a.png");
  std::string otherCase = Root + "/x";
  otherCase[1] = char(std::toupper(otherCase[1]));
  EXPECT_EQ(MakeAppRelative(otherCase), otherCase);  // another folder on a case-sensitive system
  EXPECT_EQ(MakeAppRelative(Root + "x/y"), Root + "x/y");  // a longer folder name is not the folder
}

TEST_F(PathMacroFiles, AppFolderIsTheCurrentFolderWhenItHoldsData) {
  EnterAppFolder();
  EXPECT_EQ(std::filesystem::canonical(FindAppFolder()), std::filesystem::canonical(Root));
  std::filesystem::remove_all(PathOf("Data"));
  std::string program = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
  EXPECT_EQ(FindAppFolder(), program);
}

}  // namespace
}  // namespace config
