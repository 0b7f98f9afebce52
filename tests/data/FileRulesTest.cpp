#include <gtest/gtest.h>

#include <map>

#include "../platform/TempFolder.h"
#include "data/NV_FileRules.h"

namespace {

TEST(FileRules, DotNamesAndAFoldersOwnFilesAreHidden) {
  fstest::TTempFolder temp;
  const struct {
    std::string Name;
    bool Hidden;
  } cases[] = {
      {".hidden", true},
      {"ThemeData.NVS", true},
      {"Folder.NVB", true},
      {"plain.txt", false},
      {"themedata.nvs", false},  // the program writes these names in one spelling only
      {"Folder.NVB.txt", false},
      {"My ThemeData.NVS", false},
  };
  for (const auto& c : cases) temp.File(c.Name);
  std::map<std::string, bool> hidden;
  ASSERT_TRUE(platform::Fs::List(temp.Root(), [&](const platform::Fs::TFileEntry& e) {
    hidden[e.Name] = data::IsHiddenEntry(e);
    return true;
  }));
  ASSERT_EQ(hidden.size(), std::size(cases));
  for (const auto& c : cases) EXPECT_EQ(hidden[c.Name], c.Hidden) << c.Name;
}

}  // namespace
