// The shared trash rules (ask before deleting permanently, report only what was done, empty with a
// confirmation) over the headless trash folder, on the interface thread.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "TempFolder.h"
#include "platform/Properties.h"
#include "platform/Trash.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/headless/HeadlessTrash.h"

using namespace platform;
using namespace platform::headless;
using fstest::Exists;
using fstest::ReadFile;
using fstest::TTempFolder;

namespace {

class TrashTest : public ::testing::Test {
 protected:
  THeadlessBackend Backend;
  TTempFolder Tmp;
  THeadlessTrash Bin{Tmp.Path("trash")};

  std::vector<TTrashResult> Trash(const std::vector<std::string>& paths) {
    return MoveToTrash(Backend.Loop, Bin, Backend.Dialog, paths);
  }
};

}  // namespace

TEST_F(TrashTest, TrashedEntriesKeepTheirContentsAndWhereTheyCameFrom) {
  const std::string odd = Tmp.File("docs/r\xE9sum\xE9 #1%.txt", "cv");
  const std::string first = Tmp.File("docs/same.txt", "first");
  Tmp.File("docs/folder/inner.txt", "12345");
  const auto results = Trash({odd, first, Tmp.Path("docs/folder")});
  for (const TTrashResult& r : results) EXPECT_EQ(r.Outcome, TTrashOutcome::toTrashed) << r.Path;
  Tmp.File("docs/same.txt", "second");
  ASSERT_EQ(Trash({first})[0].Outcome, TTrashOutcome::toTrashed);
  EXPECT_FALSE(Exists(first) || Exists(odd));

  // Two entries of one name are both kept, each with its own record.
  EXPECT_EQ(ReadFile(Tmp.Path("trash/files/same.txt")), "first");
  EXPECT_EQ(ReadFile(Tmp.Path("trash/files/same.txt.2")), "second");
  EXPECT_EQ(trashfolder::OriginalPath(Tmp.Path("trash"), "same.txt.2"), first);
  EXPECT_EQ(trashfolder::OriginalPath(Tmp.Path("trash"), "r\xE9sum\xE9 #1%.txt"), odd);
  const TTrashInfo info = Bin.Info();
  EXPECT_EQ(info.Count, 4u);
  EXPECT_EQ(info.Bytes, 2u + 5u + 5u + 6u);
  EXPECT_TRUE(Backend.Dialog.Calls.empty());
  EXPECT_EQ(Bin.Location(), Tmp.Path("trash"));
}

// A name of the longest length a file system allows still fits: the kept copy's name is cut
// short (keeping its extension) and its record still tells the whole original path.
TEST_F(TrashTest, NamesOfTheLongestLengthAreKeptUnderAShorterName) {
  const std::string stem(251, 'L');
  const std::string first = Tmp.File("docs/" + stem + ".txt", "one");
  ASSERT_EQ(Trash({first})[0].Outcome, TTrashOutcome::toTrashed);
  const std::string second = Tmp.File("docs/" + stem + ".txt", "two");
  ASSERT_EQ(Trash({second})[0].Outcome, TTrashOutcome::toTrashed);
  EXPECT_FALSE(Exists(first));
  const std::string kept = stem.substr(0, 255 - 10 - 4) + ".txt";
  EXPECT_EQ(ReadFile(Tmp.Path("trash/files/" + kept)), "one");
  EXPECT_EQ(trashfolder::OriginalPath(Tmp.Path("trash"), kept), first);
  const std::string keptAgain = stem.substr(0, 255 - 10 - 4 - 2) + ".txt.2";
  EXPECT_EQ(ReadFile(Tmp.Path("trash/files/" + keptAgain)), "two");
  EXPECT_EQ(trashfolder::OriginalPath(Tmp.Path("trash"), keptAgain), second);
}

TEST_F(TrashTest, WithoutATrashItAsksOnceAndDoesOnlyWhatWasAgreed) {
  const std::string normal = Tmp.File("normal.txt", "n");
  const std::string a = Tmp.File("stuck/a.txt", "a");
  Tmp.File("stuck/sub/b.txt", "b");
  Bin.NoTrashUnder = {Tmp.Path("stuck")};
  Backend.Dialog.MessageAnswers = {TMsgResult::mrNo};
  auto results = Trash({a, normal, Tmp.Path("stuck/sub")});
  EXPECT_EQ(results[0].Outcome, TTrashOutcome::toKept);
  EXPECT_EQ(results[1].Outcome, TTrashOutcome::toTrashed);
  EXPECT_EQ(results[2].Outcome, TTrashOutcome::toKept);
  ASSERT_EQ(Backend.Dialog.Calls.size(), 1u);
  EXPECT_NE(Backend.Dialog.Calls[0].find("2 items"), std::string::npos);
  EXPECT_TRUE(Exists(a) && Exists(Tmp.Path("stuck/sub/b.txt")));

  Backend.Dialog.MessageAnswers = {TMsgResult::mrYes};
  results = Trash({a, Tmp.Path("stuck/sub")});
  EXPECT_EQ(results[0].Outcome, TTrashOutcome::toDeleted);
  EXPECT_EQ(results[1].Outcome, TTrashOutcome::toDeleted);
  EXPECT_FALSE(Exists(a) || Exists(Tmp.Path("stuck/sub")));
  EXPECT_EQ(Bin.Info().Count, 1u);  // deleted permanently, not trashed
}

TEST_F(TrashTest, FailuresNameThePathAndNothingElseChanges) {
  const auto results = Trash({Tmp.Path("missing.txt")});
  EXPECT_EQ(results[0].Outcome, TTrashOutcome::toFailed);
  EXPECT_NE(results[0].Error.find(Tmp.Path("missing.txt")), std::string::npos);
  EXPECT_EQ(Bin.Info().Count, 0u);
  EXPECT_TRUE(Backend.Dialog.Calls.empty());
}

TEST_F(TrashTest, EmptyingAsksFirstAndRemovesEntriesWithTheirRecords) {
  EXPECT_FALSE(EmptyTrashAsking(Bin, Backend.Dialog));  // nothing to empty: no question
  EXPECT_TRUE(Backend.Dialog.Calls.empty());
  Trash({Tmp.File("a", "a"), Tmp.File("b/c", "c")});
  Backend.Dialog.MessageAnswers = {TMsgResult::mrNo, TMsgResult::mrYes};
  EXPECT_FALSE(EmptyTrashAsking(Bin, Backend.Dialog));
  EXPECT_EQ(Bin.Info().Count, 2u);
  EXPECT_TRUE(EmptyTrashAsking(Bin, Backend.Dialog));
  ASSERT_EQ(Backend.Dialog.Calls.size(), 2u);
  EXPECT_NE(Backend.Dialog.Calls[0].find("2 items"), std::string::npos);
  EXPECT_EQ(Bin.Info().Count, 0u);
  EXPECT_EQ(trashfolder::OriginalPath(Tmp.Path("trash"), "a"), "");
}

// The trash's size and a properties window's size of the same entries count by one rule:
// links (even to a big file) and special files add no bytes, folders are entered.
TEST_F(TrashTest, TheTrashSizeAgreesWithThePropertiesSize) {
  const std::string big = Tmp.File("outside/big.bin", std::string(100'000, 'b'));
  Tmp.File("tree/a.txt", "abc");
  Tmp.File("tree/sub/b.txt", std::string(1000, 'x'));
  ASSERT_EQ(symlink(big.c_str(), Tmp.Path("tree/sub/to-big").c_str()), 0);
  ASSERT_EQ(symlink("..", Tmp.Path("tree/sub/loop").c_str()), 0);
  ASSERT_EQ(mkfifo(Tmp.Path("tree/pipe").c_str(), 0600), 0);
  ASSERT_EQ(Trash({Tmp.Path("tree"), big})[0].Outcome, TTrashOutcome::toTrashed);
  std::atomic<bool> cancel{false};
  const TTreeTotals counted =
      CountTrees({Tmp.Path("trash/files/tree"), Tmp.Path("trash/files/big.bin")}, cancel);
  EXPECT_EQ(counted.Bytes, 1003u + 100'000u);
  EXPECT_EQ(Bin.Info().Bytes, counted.Bytes);
}

TEST(TrashInfoRecords, OriginalPathFromTheText) {
  const struct {
    const char* Text;
    const char* Path;
  } cases[] = {
      {"[Trash Info]\nPath=/home/ann/a%20b.txt\nDeletionDate=2024-01-02T03:04:05\n",
       "/home/ann/a b.txt"},
      {"[Trash Info]\nDeletionDate=2024-01-02T03:04:05\nPath=/r%C3%a9sum%c3%A9", "/r\xC3\xA9sum\xC3\xA9"},
      {"[Trash Info]\nPath=/100%25%\n", "/100%%"},   // a lone "%" stands for itself
      {"[Trash Info]\nPath=/a%2\n", "/a%2"},         // so does one cut short
      {"[Trash Info]\nPath=/a%zz%4g\n", "/a%zz%4g"},
      {"[Trash Info]\nPath=/line%0Abreak\n", "/line\nbreak"},
      {"[Trash Info]\nPath=\n", ""},
      {"[Trash Info]\nDeletionDate=2024-01-02T03:04:05\n", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(trashfolder::ParseTrashInfo(c.Text), c.Path) << c.Text;
}
