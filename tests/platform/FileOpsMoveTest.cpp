// Moves that copy and delete, and replacements undone, while another program changes the files:
// a second thread (the worker's progress hook) changes a source at an exact point of the copy.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>

#include "FileOpsFixture.h"

using namespace platform;
using namespace fstest;

namespace {

class FileOpsMoveThreads : public TFileOpsFixture {};

constexpr size_t kBigBytes = 9u << 20;  // more than one copy step

// What another program does to a file.
void SaveAnew(const std::string& path) {
  // As editors save: a new file, renamed over the old one.
  ASSERT_TRUE(MakeFile(path + ".new", "the new version"));
  ASSERT_EQ(rename((path + ".new").c_str(), path.c_str()), 0);
}

void AppendTo(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(write(fd, " and more", 9), 9);
  close(fd);
}

void RewriteKeepingTheSize(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(pwrite(fd, "EDITED", 6, 0), 6);
  close(fd);
  SetWriteTime(path, 1400000000);  // a new write time even where the clock is coarse
}

}  // namespace

TEST_F(FileOpsMoveThreads, AnOriginalThatChangedAfterItWasReadStays) {
  struct TCase {
    const char* Name;
    bool WholeFolder;    // the folder holding the file is moved, else the file alone
    bool DuringItsCopy;  // else after its copy was finished
    void (*Change)(const std::string&);
  };
  const TCase cases[] = {
      {"saved anew while it was copied", false, true, SaveAnew},
      {"saved anew in a moved folder", true, true, SaveAnew},
      {"appended to after its copy", true, false, AppendTo},
      {"rewritten with the same size after its copy", true, false, RewriteKeepingTheSize},
  };
  int round = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string base = "r" + std::to_string(round++);
    const std::string big = Far().File(base + "/tree/big.bin", Big(kBigBytes, 'b'));
    const std::string other = Far().File(base + "/tree/other.txt", "other");
    const std::string dst = Tmp.Folder(base + "/dst");
    const std::string source = c.WholeFolder ? Far().Path(base + "/tree") : big;
    const std::string copy = c.WholeFolder ? dst + "/tree/big.bin" : dst + "/big.bin";

    std::optional<uint64_t> filesBefore;
    std::string changedTo;
    const TFileOpReport report =
        Run(TFileOpKind::okMove, {source}, dst, [&](const TFileOpProgress& p) {
          if (!changedTo.empty() || p.Current != big) return true;
          // The first report about the file comes after its first copy step.
          if (!filesBefore) filesBefore = p.FilesDone;
          if (c.DuringItsCopy || p.FilesDone > *filesBefore) {
            c.Change(big);
            changedTo = ReadFile(big);
          }
          return true;
        });

    ASSERT_FALSE(changedTo.empty());
    ASSERT_EQ(report.Items.size(), 1u);
    const TFileOpItem& item = report.Items[0];
    EXPECT_EQ(item.Outcome, TItemOutcome::ioPartlyMoved);
    EXPECT_EQ(item.Errors.size(), 1u);
    EXPECT_TRUE(Contains(item.Errors, big)) << ::testing::PrintToString(item.Errors);
    // The new version is where it was; the copy holds the version that was read.
    EXPECT_EQ(ReadFile(big), changedTo);
    EXPECT_EQ(ReadFile(copy), Big(kBigBytes, 'b'));
    if (c.WholeFolder) {
      EXPECT_FALSE(Exists(other));
      EXPECT_EQ(ReadFile(dst + "/tree/other.txt"), "other");
    }
    EXPECT_FALSE(HasWorkLeftovers(dst));
  }
}

TEST_F(FileOpsMoveThreads, AnUnchangedTreeMovesWholeAndLeavesNothingBehind) {
  // The control for the checks above: nothing changes, so every original goes.
  Far().File("tree/big.bin", Big(kBigBytes, 'c'));
  Far().File("tree/sub/small.txt", "small");
  const auto before = Snapshot(Far().Path("tree"));
  const std::string dst = Tmp.Folder("dst");
  const TFileOpReport report = Run(TFileOpKind::okMove, {Far().Path("tree")}, dst);
  ASSERT_EQ(report.Items.size(), 1u);
  EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioDone);
  EXPECT_TRUE(report.Items[0].Errors.empty());
  EXPECT_EQ(Snapshot(dst + "/tree"), before);
  EXPECT_FALSE(Exists(Far().Path("tree")));
}

// The promise of a replacement: until it is complete, what it replaces is only set aside.
TEST_F(FileOpsMoveThreads, ACancelledReplacementPutsBackWhatItReplaced) {
  struct TCase {
    TFileOpKind Kind;
    bool ReplacesAFolder;
  };
  const TCase cases[] = {{TFileOpKind::okCopy, false},
                         {TFileOpKind::okCopy, true},
                         {TFileOpKind::okMove, false},
                         {TFileOpKind::okMove, true}};
  int round = 0;
  for (const TCase& c : cases) {
    const std::string base = "r" + std::to_string(round++);
    SCOPED_TRACE(base);
    // A move copies only between file systems.
    const TTempFolder& from = c.Kind == TFileOpKind::okMove ? Far() : Tmp;
    const std::string source = from.File(base + "/src/x.bin", Big(kBigBytes, 'n'));
    if (c.ReplacesAFolder)
      Tmp.File(base + "/dst/x.bin/inside.txt", "old");
    else
      Tmp.File(base + "/dst/x.bin", "old");
    const std::string dst = Tmp.Path(base + "/dst");
    const auto targetBefore = Snapshot(dst), sourceBefore = Snapshot(from.Path(base + "/src"));
    Ui.ConflictAnswers = {{TConflictChoice::ccReplace, false}};

    bool cancelled = false;
    const TFileOpReport report = Run(c.Kind, {source}, dst, [&](const TFileOpProgress& p) {
      cancelled = cancelled || p.Current == source;  // halfway through the replacement
      return !cancelled;
    });

    ASSERT_TRUE(cancelled);
    ASSERT_EQ(report.Items.size(), 1u);
    EXPECT_TRUE(report.Cancelled);
    EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioCancelled);
    EXPECT_EQ(Snapshot(dst), targetBefore);
    EXPECT_EQ(Snapshot(from.Path(base + "/src")), sourceBefore);
  }
}

TEST_F(FileOpsMoveThreads, AFailedReplacementPutsBackWhatItReplaced) {
  struct TCase {
    const char* Name;
    TFileOpKind Kind;
    bool FolderReplacesAFile;  // else a file replaces a folder
  };
  const TCase cases[] = {
      {"a folder whose second file vanishes before it is read", TFileOpKind::okCopy, true},
      {"a folder whose second file vanishes, moved", TFileOpKind::okMove, true},
      {"a file cut short while it is read", TFileOpKind::okCopy, false},
      {"a file cut short while it is read, moved", TFileOpKind::okMove, false},
  };
  int round = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string base = "r" + std::to_string(round++);
    const TTempFolder& from = c.Kind == TFileOpKind::okMove ? Far() : Tmp;
    std::string source, first, second;
    if (c.FolderReplacesAFile) {
      source = from.Folder(base + "/src/x");
      first = from.File(base + "/src/x/a.bin", Big(kBigBytes, 'a'));
      second = from.File(base + "/src/x/b.bin", Big(kBigBytes, 'b'));
      Tmp.File(base + "/dst/x", "old");
    } else {
      source = first = from.File(base + "/src/x", Big(kBigBytes, 'x'));
      Tmp.File(base + "/dst/x/inside.txt", "old");
    }
    const std::string dst = Tmp.Path(base + "/dst");
    const auto targetBefore = Snapshot(dst);
    Ui.ConflictAnswers = {{TConflictChoice::ccReplace, false}};

    std::string broken;  // the path the failure must name
    const TFileOpReport report = Run(c.Kind, {source}, dst, [&](const TFileOpProgress& p) {
      const bool copyingOne = p.Current == first || (!second.empty() && p.Current == second);
      if (!broken.empty() || !copyingOne) return true;
      if (c.FolderReplacesAFile) {
        // The folder was listed already; the file not yet copied goes.
        broken = p.Current == first ? second : first;
        unlink(broken.c_str());
      } else {
        broken = source;
        EXPECT_EQ(truncate(source.c_str(), 1000), 0);
      }
      return true;
    });

    ASSERT_FALSE(broken.empty());
    ASSERT_EQ(report.Items.size(), 1u);
    EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioFailed);
    EXPECT_TRUE(Contains(report.Items[0].Errors, broken))
        << ::testing::PrintToString(report.Items[0].Errors);
    EXPECT_EQ(Snapshot(dst), targetBefore);
    EXPECT_FALSE(HasWorkLeftovers(dst));
    // The originals that were not broken stay where they were.
    if (c.FolderReplacesAFile)
      EXPECT_EQ(ReadFile(broken == first ? second : first),
                Big(kBigBytes, broken == first ? 'b' : 'a'));
    else
      EXPECT_EQ(ReadFile(source).size(), 1000u);
  }
}
