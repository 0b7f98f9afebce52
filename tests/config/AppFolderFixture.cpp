#include "AppFolderFixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace config::testing {

void AppFolderTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "norvo-config-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  Root = std::filesystem::canonical(pattern).string();  // as the current folder will name it
  std::filesystem::create_directories(Root + "/Data/Language");
  Settings = Root + "/Data/Settings.NVS";
  FOldContext = *PathContext();
  TPathContext context;
  context.AppFolder = Root;
  SetPathContext(context);
  platform::SetVolumes(&Volumes);
  platform::SetShell(&Shell);
}

void AppFolderTest::TearDown() {
  if (!FOldCurrent.empty()) {
    EXPECT_EQ(chdir(FOldCurrent.c_str()), 0);
  }
  platform::SetShell(nullptr);
  platform::SetVolumes(nullptr);
  SetPathContext(FOldContext);
  std::error_code ignored;
  std::filesystem::permissions(Root, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(Root, ignored);
}

std::string AppFolderTest::WriteFile(std::string_view relative, std::string_view bytes) const {
  std::string path = PathOf(relative);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string AppFolderTest::ReadFile(std::string_view relative) const {
  std::ifstream in(PathOf(relative), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void AppFolderTest::EnterAppFolder() {
  FOldCurrent = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(Root.c_str()), 0);
}

}  // namespace config::testing
