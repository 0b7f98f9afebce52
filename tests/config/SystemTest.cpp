#include <sys/stat.h>

#include <filesystem>

#include "AppFolderFixture.h"
#include "config/NV_System.h"

namespace config {
namespace {

using PathFunctions = testing::AppFolderTest;

TEST_F(PathFunctions, ExistenceNeedsAnAnsweringVolume) {
  WriteFile("Media/Disc/file.txt", "x");
  Volumes.List = {{PathOf("Media/Disc"), "DISC", true}};
  EXPECT_TRUE(PathExists(PathOf("Media/Disc/file.txt")));
  EXPECT_TRUE(PathExists(PathOf("Media/Disc/file.txt"), 2));
  EXPECT_FALSE(PathExists(PathOf("Media/Disc/file.txt"), 1));
  EXPECT_TRUE(PathExists(PathOf("Media/Disc"), 1));
  EXPECT_FALSE(PathExists(PathOf("Media/Disc"), 2));
  EXPECT_FALSE(PathExists(PathOf("Media/Disc/none")));
  EXPECT_TRUE(PathExists("AppPath:\\Media\\Disc\\file.txt", 2));  // macro paths resolve first
  EXPECT_FALSE(PathExists("QDrive:\\"));
  EXPECT_FALSE(PathExists("\\\\server\\share\\x"));  // no volume names it
  EXPECT_FALSE(PathExists("Media/Disc/file.txt"));   // relative

  Volumes.List[0].Ready = false;  // the disc does not answer
  EXPECT_FALSE(PathExists(PathOf("Media/Disc/file.txt")));
  EXPECT_FALSE(DriveReady(PathOf("Media/Disc")));
  EXPECT_TRUE(PathExists(PathOf("Media")));  // its parent lies on "/"
  EXPECT_TRUE(DriveReady("/"));
  EXPECT_FALSE(DriveReady(""));
}

TEST_F(PathFunctions, FileOrFolderAndEntries) {
  WriteFile("Data/a.txt", "x");
  std::filesystem::create_directories(PathOf("Empty"));
  EXPECT_TRUE(FileOrFolderExists(PathOf("Data/a.txt")));
  EXPECT_TRUE(FileOrFolderExists(PathOf("Data/")));
  EXPECT_FALSE(FileOrFolderExists(PathOf("none")));
  EXPECT_TRUE(FolderHasEntries(PathOf("Empty")));  // an ordinary folder lists its "." entry
  EXPECT_FALSE(FolderHasEntries(PathOf("Data/a.txt")));
  EXPECT_FALSE(FolderHasEntries(PathOf("none")));
}

TEST_F(PathFunctions, DriveRootsAndNames) {
  WriteFile("Stick/x.txt", "x");
  Volumes.List = {{PathOf("Stick"), "USB STICK", true}};
  struct Case {
    std::string Text;
    bool Root;
    std::string Caption;
    std::string Display;
  } cases[] = {
      {"/", true, "/", "/"},
      {PathOf("Stick"), true, PathOf("Stick/"), PathOf("Stick/")},
      {PathOf("Stick/"), true, PathOf("Stick/"), PathOf("Stick/")},
      {PathOf("Stick/x.txt"), false, PathOf("Stick/x.txt"), "x.txt"},
      {PathOf("Data/"), false, PathOf("Data/"), "Data"},
      {"\\\\server\\share", false, "\\\\server\\share", "\\\\server\\share"},
      {"QDrive:\\", false, "Quick Drive", "QDrive:\\"},
      {"*105*", false, "Search...", "*105*"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsDriveRoot(c.Text), c.Root) << c.Text;
    EXPECT_EQ(PathCaption(c.Text), c.Caption) << c.Text;
    EXPECT_EQ(PathDisplayName(c.Text), c.Display) << c.Text;
  }
  EXPECT_EQ(VolumeLabel(PathOf("Stick/")), "USB STICK");
  EXPECT_EQ(VolumeLabel(PathOf("Data")), "");
}

TEST_F(PathFunctions, FolderName) {
  WriteFile("Docs/Report/a.txt", "x");
  EXPECT_EQ(FolderName(PathOf("Docs/Report/a.txt")), "Report");  // a file: its folder's name
  EXPECT_EQ(FolderName(PathOf("Docs/Report")), "Report");
  EXPECT_EQ(FolderName(PathOf("Docs/Report/")), "Report");
  EXPECT_EQ(FolderName("/no/such/thing"), "thing");
  EXPECT_EQ(FolderName("QDrive:\\"), "QDrive:\\");
}

TEST_F(PathFunctions, Extensions) {
  WriteFile("Files/Photo.JPG", "x");
  WriteFile("Files/Makefile", "x");
  WriteFile("Files/.hidden", "x");
  std::filesystem::create_directories(PathOf("Files/Sub"));
  std::filesystem::create_directories(PathOf("Files/My.Dir"));
  struct Case {
    const char* Name;
    const char* Path;   // PathExtension
    const char* Found;  // FoundExtension of the listed entry
  } cases[] = {
      {"Photo.JPG", ".jpg", ".jpg"},
      {"Makefile", "", ""},  // an existing file without an extension
      {".hidden", "", ""},   // a leading dot starts no extension
      {"Sub", ".folder", ".folder"},
      {"My.Dir", ".dir", ".folder"},  // a listed folder is always ".folder"
      {"gone", ".unknown", ".unknown"},
      {"gone.TXT", ".txt", ".txt"},
  };
  for (const Case& c : cases) {
    bool isFolder = std::filesystem::is_directory(PathOf(std::string("Files/") + c.Name));
    EXPECT_EQ(PathExtension(PathOf(std::string("Files/") + c.Name)), c.Path) << c.Name;
    EXPECT_EQ(FoundExtension(PathOf("Files"), c.Name, isFolder), c.Found) << c.Name;
  }
  EXPECT_EQ(FoundExtension(PathOf("Files/"), "Makefile", false), "");
}

TEST_F(PathFunctions, ShellQuestions) {
  Shell.Folders[platform::TSpecialFolder::sfDesktop] = "/home/u/Desktop";
  Shell.Programs[".txt"] = "/usr/bin/editor";
  std::filesystem::create_symlink("Data", PathOf("Link"));
  Shell.Targets[PathOf("App.desktop")] = "/usr/share/doc";

  EXPECT_EQ(SpecialFolder(0), "/home/u/Desktop/");
  EXPECT_EQ(SpecialFolder(5), "");
  EXPECT_EQ(SpecialFolder(7), "");
  EXPECT_EQ(SpecialFolder(-1), "");
  EXPECT_EQ(OpenCommandProgram(".TXT"), "/usr/bin/editor");
  EXPECT_EQ(OpenCommandProgram(".none"), "");
  EXPECT_EQ(ShortcutTarget(PathOf("Link")), PathOf("Data"));
  EXPECT_EQ(ShortcutTarget("AppPath:\\App.desktop"), "/usr/share/doc");
  EXPECT_EQ(ShortcutTarget(PathOf("Data")), "");
  EXPECT_EQ(DriveIndex("C:\\"), 2);
  EXPECT_EQ(DriveIndex(""), -1);
}

}  // namespace
}  // namespace config
