#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>

#include "TempFolder.h"
#include "platform/Properties.h"

using namespace platform;

namespace {

// a.txt (3 bytes), sub/b.bin (1000), sub/deeper/c (5000), link -> sub (not followed),
// filelink -> a.txt (no bytes of its own).
struct TTree {
  fstest::TTempFolder Temp;
  TTree() {
    Temp.File("a.txt", "abc");
    Temp.File("sub/b.bin", std::string(1000, 'x'));
    Temp.File("sub/deeper/c", std::string(5000, 'y'));
    EXPECT_EQ(symlink(Temp.Path("sub").c_str(), Temp.Path("link").c_str()), 0);
    EXPECT_EQ(symlink(Temp.Path("a.txt").c_str(), Temp.Path("filelink").c_str()), 0);
  }
};

}  // namespace

TEST(Properties, CountsTreesWithoutFollowingLinks) {
  TTree tree;
  std::atomic<bool> cancel{false};
  const TTreeTotals all = CountTrees({tree.Temp.Root()}, cancel);
  EXPECT_EQ(all.Bytes, 6003u);
  EXPECT_EQ(all.Files, 5u);    // a.txt, b.bin, c and the two links
  EXPECT_EQ(all.Folders, 3u);  // the root, sub and deeper
  const TTreeTotals some = CountTrees({tree.Temp.Path("a.txt"), tree.Temp.Path("sub/deeper")}, cancel);
  EXPECT_EQ(some.Bytes, 5003u);
  EXPECT_EQ(some.Files, 2u);
  EXPECT_EQ(some.Folders, 1u);
  EXPECT_EQ(CountTrees({tree.Temp.Path("gone")}, cancel).Files, 0u);  // a vanished path adds nothing
}

TEST(Properties, CancellingStopsTheCountEarly) {
  fstest::TTempFolder temp;
  for (int i = 0; i < 2100; ++i) temp.File("f" + std::to_string(i), "z");
  std::atomic<bool> cancel{false};
  int reports = 0;
  const TTreeTotals totals = CountTrees({temp.Root()}, cancel, [&](const TTreeTotals&) {
    ++reports;
    cancel = true;  // the window closed while counting
  });
  EXPECT_EQ(reports, 1);
  EXPECT_LT(totals.Files, 2100u);
}

TEST(Properties, LinesForOneAndForSeveralPaths) {
  TTree tree;
  const std::vector<TPropertyLine> one =
      PropertyLines({tree.Temp.Path("sub/b.bin")}, [](const std::string&) { return std::string("Binary"); });
  auto value = [](const std::vector<TPropertyLine>& lines, const std::string& caption) {
    for (const TPropertyLine& l : lines)
      if (l.Caption == caption) return l.Value;
    return std::string("(none)");
  };
  EXPECT_EQ(value(one, "Name"), "b.bin");
  EXPECT_EQ(value(one, "Kind"), "Binary");
  EXPECT_EQ(value(one, "Location"), tree.Temp.Path("sub"));
  EXPECT_EQ(value(one, "Permissions").substr(0, 2), "rw");
  EXPECT_EQ(value(one, "Modified").size(), 19u);  // "YYYY-MM-DD hh:mm:ss"
  const std::vector<TPropertyLine> link = PropertyLines({tree.Temp.Path("link")}, {});
  EXPECT_EQ(value(link, "Link to"), tree.Temp.Path("sub"));
  const std::vector<TPropertyLine> several = PropertyLines({tree.Temp.Path("a.txt"), tree.Temp.Path("sub")}, {});
  EXPECT_EQ(value(several, "Name"), "2 items");
  EXPECT_EQ(value(several, "Location"), tree.Temp.Root());
  EXPECT_EQ(value(PropertyLines({"/x/a", "/y/b"}, {}), "Location"), "several folders");
}

TEST(Properties, TotalsText) {
  EXPECT_EQ(TotalsText({6003, 5, 3}, true), "6.0 KB (6,003 bytes), 5 files, 3 folders");
  EXPECT_EQ(TotalsText({12, 1, 0}, true), "12 bytes, 1 file");
  EXPECT_EQ(TotalsText({12345678, 340, 1}, false), "Counting… 12.3 MB (12,345,678 bytes), 340 files, 1 folder");
}
