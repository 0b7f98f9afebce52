// The tree walk on the real file system: what it counts, what it never follows, and how it
// copes with folders it may not read and trees that change while it runs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>

#include "OrdinaryUser.h"
#include "TempFolder.h"
#include "platform/Fs.h"

using namespace platform;
using fstest::TTempFolder;

namespace {

// root/a.txt (3 bytes), root/sub/b.bin (1000), root/sub/deeper/c (5000), root/sub/loop -> ..
// (a link loop), root/big -> a 1 MB file outside the tree, root/pipe (a named pipe).
struct TTree {
  TTempFolder Temp, Outside;
  std::string Root;
  TTree() : Root(Temp.Folder("root")) {
    Temp.File("root/a.txt", "abc");
    Temp.File("root/sub/b.bin", std::string(1000, 'x'));
    Temp.File("root/sub/deeper/c", std::string(5000, 'y'));
    EXPECT_EQ(symlink("..", Temp.Path("root/sub/loop").c_str()), 0);
    EXPECT_EQ(symlink(Outside.File("big", std::string(1 << 20, 'z')).c_str(), Temp.Path("root/big").c_str()), 0);
    EXPECT_EQ(mkfifo(Temp.Path("root/pipe").c_str(), 0600), 0);
  }
};

std::map<std::string, Fs::TWalkEntry> Visited(const std::string& root, Fs::TWalkResult* result = nullptr) {
  std::map<std::string, Fs::TWalkEntry> seen;
  const Fs::TWalkResult r = Fs::Walk(root, [&](const Fs::TWalkEntry& e) {
    EXPECT_TRUE(seen.emplace(e.Relative, e).second) << "visited twice: " << e.Relative;
    return Fs::TWalkStep::wsContinue;
  });
  if (result) *result = r;
  return seen;
}

}  // namespace

TEST(FsWalk, CountsATreeWithoutFollowingLinks) {
  TTree tree;
  Fs::TWalkResult result;
  const auto seen = Visited(tree.Root, &result);
  EXPECT_EQ(result.Totals.Bytes, 6003u);  // neither the big file nor the loop's target again
  EXPECT_EQ(result.Totals.Files, 6u);     // a.txt, b.bin, c, loop, big, pipe
  EXPECT_EQ(result.Totals.Folders, 3u);   // root, sub, deeper
  EXPECT_FALSE(result.Stopped || result.RootMissing);
  EXPECT_TRUE(result.Unlisted.empty());

  const struct {
    std::string Relative;
    Fs::TWalkKind Kind;
    int64_t Size;
    int Depth;
  } expected[] = {
      {"", Fs::TWalkKind::wkFolder, 0, 0},
      {"a.txt", Fs::TWalkKind::wkFile, 3, 1},
      {"big", Fs::TWalkKind::wkLink, 0, 1},
      {"pipe", Fs::TWalkKind::wkSpecial, 0, 1},
      {"sub", Fs::TWalkKind::wkFolder, 0, 1},
      {"sub/b.bin", Fs::TWalkKind::wkFile, 1000, 2},
      {"sub/deeper", Fs::TWalkKind::wkFolder, 0, 2},
      {"sub/deeper/c", Fs::TWalkKind::wkFile, 5000, 3},
      {"sub/loop", Fs::TWalkKind::wkLink, 0, 2},
  };
  ASSERT_EQ(seen.size(), std::size(expected));
  for (const auto& e : expected) {
    ASSERT_TRUE(seen.count(e.Relative)) << e.Relative;
    const Fs::TWalkEntry& entry = seen.at(e.Relative);
    EXPECT_EQ(entry.Kind, e.Kind) << e.Relative;
    EXPECT_EQ(entry.Size, e.Size) << e.Relative;
    EXPECT_EQ(entry.Depth, e.Depth) << e.Relative;
    EXPECT_EQ(entry.Path, e.Relative.empty() ? tree.Root : tree.Root + "/" + e.Relative);
    struct stat st {};
    ASSERT_EQ(lstat(entry.Path.c_str(), &st), 0);
    EXPECT_EQ(entry.Device, uint64_t(st.st_dev)) << e.Relative;
    EXPECT_EQ(entry.Inode, uint64_t(st.st_ino)) << e.Relative;
    EXPECT_EQ(entry.Mode, uint32_t(st.st_mode)) << e.Relative;
    EXPECT_EQ(entry.Written.Sec, int64_t(st.st_mtim.tv_sec)) << e.Relative;
  }
}

TEST(FsWalk, AFolderComesBeforeWhatItHolds) {
  TTree tree;
  std::vector<std::string> order;
  Fs::Walk(tree.Root + "//", [&](const Fs::TWalkEntry& e) {  // trailing "/" makes no difference
    order.push_back(e.Relative);
    return Fs::TWalkStep::wsContinue;
  });
  auto at = [&](const std::string& relative) {
    return std::find(order.begin(), order.end(), relative) - order.begin();
  };
  ASSERT_EQ(order.size(), 9u);
  EXPECT_EQ(order.front(), "");
  EXPECT_LT(at("sub"), at("sub/b.bin"));
  EXPECT_LT(at("sub/deeper"), at("sub/deeper/c"));
}

TEST(FsWalk, ARootThatIsNoFolderIsOneEntry) {
  TTree tree;
  const Fs::TWalkResult file = Fs::Walk(tree.Temp.Path("root/sub/b.bin"));
  EXPECT_EQ(file.Totals.Files, 1u);
  EXPECT_EQ(file.Totals.Bytes, 1000u);
  ASSERT_EQ(symlink(tree.Root.c_str(), tree.Temp.Path("rootlink").c_str()), 0);
  const Fs::TWalkResult link = Fs::Walk(tree.Temp.Path("rootlink/"));  // the link, not the tree
  EXPECT_EQ(link.Totals.Files, 1u);
  EXPECT_EQ(link.Totals.Folders, 0u);
  EXPECT_EQ(link.Totals.Bytes, 0u);
  const Fs::TWalkResult gone = Fs::Walk(tree.Temp.Path("gone"));
  EXPECT_TRUE(gone.RootMissing);
  EXPECT_EQ(gone.Totals.Files + gone.Totals.Folders, 0u);
}

TEST(FsWalk, AnUnreadableFolderCountsButItsContentsDoNot) {
  TTree tree;
  ASSERT_EQ(chmod(tree.Temp.Path("root/sub/deeper").c_str(), 0), 0);
  std::string why;
  const bool ran = fstest::RunAsOrdinaryUser(tree.Temp.Root(), [&] {
    const Fs::TWalkResult result = Fs::Walk(tree.Root);
    EXPECT_EQ(result.Totals.Folders, 3u);
    EXPECT_EQ(result.Totals.Bytes, 1003u);
    ASSERT_EQ(result.Unlisted.size(), 1u);
    EXPECT_EQ(result.Unlisted[0].Path, tree.Root + "/sub/deeper");
    EXPECT_EQ(result.Unlisted[0].Error, EACCES);
  }, why);
  if (!ran) GTEST_SKIP() << why;
}

TEST(FsWalk, StopsWhenAskedAndSkipsWhatItIsToldTo) {
  TTempFolder temp;
  for (int i = 0; i < 50; ++i) temp.File("f" + std::to_string(i), "z");
  temp.File("skipped/inner/x", "12345");

  std::atomic<bool> stop{false};
  uint64_t visits = 0;
  const Fs::TWalkResult flagged = Fs::Walk(temp.Root(), [&](const Fs::TWalkEntry&) {
    if (++visits == 10) stop = true;  // another thread would do the same
    return Fs::TWalkStep::wsContinue;
  }, &stop);
  EXPECT_TRUE(flagged.Stopped);
  EXPECT_EQ(visits, 10u);
  EXPECT_EQ(flagged.Totals.Files + flagged.Totals.Folders, 10u);

  const Fs::TWalkResult asked = Fs::Walk(temp.Root(), [&](const Fs::TWalkEntry& e) {
    return e.Relative == "f7" ? Fs::TWalkStep::wsStop : Fs::TWalkStep::wsContinue;
  });
  EXPECT_TRUE(asked.Stopped);
  EXPECT_LT(asked.Totals.Files, 52u);

  const Fs::TWalkResult skipping = Fs::Walk(temp.Root(), [&](const Fs::TWalkEntry& e) {
    EXPECT_NE(e.Relative, "skipped/inner");
    return e.Relative == "skipped" ? Fs::TWalkStep::wsSkipContents : Fs::TWalkStep::wsContinue;
  });
  EXPECT_FALSE(skipping.Stopped);
  EXPECT_EQ(skipping.Totals.Folders, 2u);  // the root and "skipped" itself
  EXPECT_EQ(skipping.Totals.Files, 50u);
  EXPECT_EQ(skipping.Totals.Bytes, 50u);
}

// Another program deletes and replaces parts of the tree while it is walked, after the walk
// has read the folder that holds them.
TEST(FsWalk, EntriesThatVanishOrAreReplacedMidWalkAreLeftOut) {
  TTempFolder temp;
  temp.File("sub/a/inner.txt", "1234");
  temp.File("sub/b/inner.txt", "1234");
  temp.File("swapped/secret.txt", "123456");
  temp.File("elsewhere/other.txt", std::string(100, 'o'));
  std::string first;  // whichever of sub/a and sub/b comes first removes the other
  std::error_code ignored;
  const Fs::TWalkResult result = Fs::Walk(temp.Root(), [&](const Fs::TWalkEntry& e) {
    if (first.empty() && (e.Relative == "sub/a" || e.Relative == "sub/b")) {
      first = e.Relative;
      std::filesystem::remove_all(temp.Path(first == "sub/a" ? "sub/b" : "sub/a"), ignored);
    }
    if (e.Relative == "swapped") {
      // Seen as a folder; by the time it is read, a link to another folder stands there.
      std::filesystem::rename(temp.Path("swapped"), temp.Path("moved-away"), ignored);
      std::filesystem::create_directory_symlink(temp.Path("elsewhere"), temp.Path("swapped"), ignored);
    }
    EXPECT_NE(e.Relative, "swapped/other.txt");
    EXPECT_NE(e.Relative, "swapped/secret.txt");
    return Fs::TWalkStep::wsContinue;
  });
  EXPECT_TRUE(result.Unlisted.empty());  // gone is not unreadable
  EXPECT_EQ(result.Totals.Bytes, 4u + 100u);  // one inner.txt, and elsewhere/other.txt once
  EXPECT_FALSE(result.Stopped);
}
