#include <gtest/gtest.h>
#include <unistd.h>

#include "../platform/TempFolder.h"
#include "base/Path.h"

namespace {

TEST(PathTest, TrailingSlashNameAndParentAgree) {
  const struct {
    std::string Path, Without, With, Name, Parent;
  } cases[] = {
      {"", "", "", "", ""},
      {"/", "/", "/", "/", "/"},
      {"///", "/", "/", "/", "/"},
      {"name", "name", "name/", "name", ""},
      {"name/", "name", "name/", "name", ""},
      {"/a", "/a", "/a/", "a", "/"},
      {"//a", "//a", "//a/", "a", "/"},
      {"/a/b", "/a/b", "/a/b/", "b", "/a"},
      {"a//b/", "a//b", "a//b/", "b", "a"},
      {"/media/x//", "/media/x", "/media/x/", "x", "/media"},
      {"/a/.", "/a/.", "/a/./", ".", "/a"},
      {"../up", "../up", "../up/", "up", ".."},
      {"d/r\xE9sum\xE9 \\ #1", "d/r\xE9sum\xE9 \\ #1", "d/r\xE9sum\xE9 \\ #1/", "r\xE9sum\xE9 \\ #1", "d"},
      {std::string("x/a\nb", 5), std::string("x/a\nb", 5), std::string("x/a\nb/", 6), "a\nb", "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("path \"" + c.Path + "\"");
    EXPECT_EQ(base::WithoutTrailingSlash(c.Path), c.Without);
    EXPECT_EQ(base::WithTrailingSlash(c.Path), c.With);
    EXPECT_EQ(base::BaseName(c.Path), c.Name);
    EXPECT_EQ(base::ParentOf(c.Path), c.Parent);
  }
}

TEST(PathTest, JoinPutsExactlyOneSlashBetween) {
  EXPECT_EQ(base::JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(base::JoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(base::JoinPath("/", "b"), "/b");
  EXPECT_EQ(base::JoinPath("", "b"), "b");  // a bare name stays relative
  // Joining the parent and the name of a path gives the path back.
  for (const char* path : {"/a/b", "a/b", "/b", "b"})
    EXPECT_EQ(base::JoinPath(base::ParentOf(path), base::BaseName(path)), path);
}

TEST(PathTest, RealPathResolvesLinksAndIsEmptyForNothing) {
  fstest::TTempFolder temp;
  temp.File("real/file.txt");
  ASSERT_EQ(symlink("real", temp.Path("link").c_str()), 0);
  const std::string real = base::RealPath(temp.Path("real/file.txt"));
  ASSERT_FALSE(real.empty());
  EXPECT_EQ(real[0], '/');
  EXPECT_EQ(base::RealPath(temp.Path("link/../link/./file.txt")), real);
  EXPECT_EQ(base::RealPath(temp.Path("missing")), "");
  EXPECT_EQ(base::RealPath(""), "");
}

}  // namespace
