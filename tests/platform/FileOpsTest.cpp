// Copy, move, delete and trash on a worker, on the real file system, with the headless windows
// answering conflicts from a script.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "FileOpsFixture.h"

using namespace platform;
using namespace fstest;

namespace {

class FileOpsThreads : public fstest::TFileOpsFixture {};

}  // namespace

TEST_F(FileOpsThreads, CopyKeepsContentsPermissionsTimesAndLinks) {
  Tmp.File("src/tree/a.txt", "alpha");
  chmod(Tmp.Path("src/tree/a.txt").c_str(), 0640);
  SetWriteTime(Tmp.Path("src/tree/a.txt"), 1200000000);
  Tmp.File("src/tree/sub/b.bin", Big(3 << 20, 'b'));
  ASSERT_EQ(symlink("../a.txt", Tmp.Path("src/tree/sub/link").c_str()), 0);
  ASSERT_EQ(mkfifo(Tmp.Path("src/tree/pipe").c_str(), 0600), 0);
  Tmp.Folder("src/tree/empty");
  chmod(Tmp.Path("src/tree/empty").c_str(), 0750);
  SetWriteTime(Tmp.Path("src/tree/empty"), 1300000000);
  Tmp.File("src/single.txt", "one");
  const auto before = Snapshot(Tmp.Path("src"));
  const std::string dst = Tmp.Folder("dst");

  const TFileOpReport report =
      Run(TFileOpKind::okCopy, {Tmp.Path("src/tree"), Tmp.Path("src/single.txt")}, dst);

  ASSERT_EQ(report.Items.size(), 2u);
  for (const TFileOpItem& item : report.Items) {
    EXPECT_EQ(item.Outcome, TItemOutcome::ioDone) << item.Source;
    EXPECT_TRUE(item.Errors.empty());
  }
  EXPECT_EQ(report.Items[0].Target, dst + "/tree");
  EXPECT_EQ(Snapshot(Tmp.Path("src")), before);
  EXPECT_EQ(Snapshot(dst), before);
  EXPECT_EQ(Snapshot(dst).at("tree/empty"), "dir 488");  // 0750, set after its contents
  EXPECT_FALSE(HasWorkLeftovers(dst));
  // The window saw the end of the work, then the report.
  ASSERT_FALSE(Ui.Progress.empty());
  EXPECT_EQ(Ui.Progress.back().BytesDone, Ui.Progress.back().BytesTotal);
  EXPECT_EQ(Ui.Progress.back().FilesDone, 5u);
  EXPECT_EQ(Ui.Reports.size(), 1u);
  EXPECT_EQ(Ui.OpenWindows(), 0u);
  EXPECT_EQ(Ops->Running(), 0u);
}

TEST_F(FileOpsThreads, ConflictChoicesForCopyAndMove) {
  struct TCase {
    TFileOpKind Kind;
    TConflictChoice Choice;
    TItemOutcome Outcome;
    const char* Existing;  // x.txt in the target afterwards
    const char* Second;    // "x (2).txt" in the target afterwards, or <missing>
    bool SourceStays;
  };
  const TCase cases[] = {
      {TFileOpKind::okCopy, TConflictChoice::ccReplace, TItemOutcome::ioDone, "new", "<missing>",
       true},
      {TFileOpKind::okCopy, TConflictChoice::ccSkip, TItemOutcome::ioSkipped, "old", "<missing>",
       true},
      {TFileOpKind::okCopy, TConflictChoice::ccKeepBoth, TItemOutcome::ioDone, "old", "new", true},
      {TFileOpKind::okCopy, TConflictChoice::ccCancel, TItemOutcome::ioCancelled, "old",
       "<missing>", true},
      {TFileOpKind::okMove, TConflictChoice::ccReplace, TItemOutcome::ioDone, "new", "<missing>",
       false},
      {TFileOpKind::okMove, TConflictChoice::ccSkip, TItemOutcome::ioSkipped, "old", "<missing>",
       true},
      {TFileOpKind::okMove, TConflictChoice::ccKeepBoth, TItemOutcome::ioDone, "old", "new", false},
      {TFileOpKind::okMove, TConflictChoice::ccCancel, TItemOutcome::ioCancelled, "old",
       "<missing>", true},
  };
  int round = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(round);
    const std::string base = "r" + std::to_string(round++);
    const std::string source = Tmp.File(base + "/src/x.txt", "new");
    const std::string dst = Tmp.Folder(base + "/dst");
    Tmp.File(base + "/dst/x.txt", "old");
    Ui.ConflictAnswers = {{c.Choice, false}};
    Ui.Conflicts.clear();
    const TFileOpReport report = Run(c.Kind, {source}, dst);
    ASSERT_EQ(report.Items.size(), 1u);
    EXPECT_EQ(report.Items[0].Outcome, c.Outcome);
    EXPECT_EQ(report.Cancelled, c.Choice == TConflictChoice::ccCancel);
    ASSERT_EQ(Ui.Conflicts.size(), 1u);
    EXPECT_EQ(Ui.Conflicts[0].Target, dst + "/x.txt");
    EXPECT_EQ(ReadFile(dst + "/x.txt"), c.Existing);
    EXPECT_EQ(ReadFile(dst + "/x (2).txt"), c.Second);
    EXPECT_EQ(Exists(source), c.SourceStays);
    EXPECT_FALSE(HasWorkLeftovers(dst));
  }
}

TEST_F(FileOpsThreads, ApplyToAllAnswersEveryFurtherConflict) {
  std::vector<std::string> sources;
  for (const char* name : {"a", "b", "c"}) {
    sources.push_back(Tmp.File(std::string("src/") + name, "new"));
    Tmp.File(std::string("dst/") + name, "old");
  }
  Ui.ConflictAnswers = {{TConflictChoice::ccReplace, true}};
  const TFileOpReport report = Run(TFileOpKind::okCopy, sources, Tmp.Path("dst"));
  EXPECT_EQ(Ui.Conflicts.size(), 1u);
  for (const char* name : {"a", "b", "c"})
    EXPECT_EQ(ReadFile(Tmp.Path(std::string("dst/") + name)), "new");
  for (const TFileOpItem& item : report.Items) EXPECT_EQ(item.Outcome, TItemOutcome::ioDone);
}

TEST_F(FileOpsThreads, ReplacingAFolderMergesAndAsksAboutEachClash) {
  Tmp.File("src/d/clash.txt", "new");
  Tmp.File("src/d/fresh.txt", "fresh");
  Tmp.File("dst/d/clash.txt", "old");
  Tmp.File("dst/d/own.txt", "own");
  // The folder: merge; then the file inside: skip.
  Ui.ConflictAnswers = {{TConflictChoice::ccReplace, false}, {TConflictChoice::ccSkip, false}};
  const TFileOpReport report = Run(TFileOpKind::okMove, {Tmp.Path("src/d")}, Tmp.Path("dst"));
  ASSERT_EQ(Ui.Conflicts.size(), 2u);
  EXPECT_TRUE(Ui.Conflicts[0].SourceIsFolder && Ui.Conflicts[0].TargetIsFolder);
  EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioDone);
  EXPECT_EQ(ReadFile(Tmp.Path("dst/d/clash.txt")), "old");
  EXPECT_EQ(ReadFile(Tmp.Path("dst/d/own.txt")), "own");
  EXPECT_EQ(ReadFile(Tmp.Path("dst/d/fresh.txt")), "fresh");
  // What was skipped stays where it was, and so does its folder.
  EXPECT_EQ(ReadFile(Tmp.Path("src/d/clash.txt")), "new");
  EXPECT_FALSE(Exists(Tmp.Path("src/d/fresh.txt")));
}

TEST_F(FileOpsThreads, AFolderNeverGoesIntoItself) {
  Tmp.File("d/sub/f.txt", "f");
  const auto before = Snapshot(Tmp.Path("d"));
  for (TFileOpKind kind : {TFileOpKind::okCopy, TFileOpKind::okMove}) {
    for (const std::string& target : {Tmp.Path("d/sub"), Tmp.Path("d")}) {
      SCOPED_TRACE(target);
      const TFileOpReport report = Run(kind, {Tmp.Path("d")}, target);
      ASSERT_EQ(report.Items.size(), 1u);
      EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioFailed);
      ASSERT_EQ(report.Items[0].Errors.size(), 1u);
      EXPECT_NE(report.Items[0].Errors[0].find(Tmp.Path("d")), std::string::npos);
      EXPECT_EQ(Snapshot(Tmp.Path("d")), before);
    }
  }
}

TEST_F(FileOpsThreads, IntoItsOwnFolderACopyGetsANewNameAndAMoveDoesNothing) {
  const std::string file = Tmp.File("here/notes.txt", "n");
  Tmp.File("here/box/in", "i");
  const TFileOpReport copied =
      Run(TFileOpKind::okCopy, {file, Tmp.Path("here/box")}, Tmp.Path("here"));
  EXPECT_EQ(copied.Items[0].Target, Tmp.Path("here/notes (2).txt"));
  EXPECT_EQ(ReadFile(Tmp.Path("here/notes (2).txt")), "n");
  EXPECT_EQ(ReadFile(Tmp.Path("here/box (2)/in")), "i");
  EXPECT_TRUE(Ui.Conflicts.empty());
  const TFileOpReport moved = Run(TFileOpKind::okMove, {file}, Tmp.Path("here"));
  EXPECT_EQ(moved.Items[0].Outcome, TItemOutcome::ioSkipped);
  EXPECT_EQ(ReadFile(file), "n");
}

TEST_F(FileOpsThreads, CancelHalfwayUndoesThatEntryAndKeepsTheFinishedOnes) {
  const std::string first = Tmp.File("src/first.txt", "1");
  Tmp.File("src/big/f1", Big(10 << 20, 'x'));
  Tmp.File("src/big/f2", Big(10 << 20, 'y'));
  const std::string last = Tmp.File("src/last.txt", "L");
  const auto before = Snapshot(Tmp.Path("src"));
  const std::string dst = Tmp.Folder("dst");
  // Stop inside f2, after f1 was copied completely.
  const TFileOpReport report =
      Run(TFileOpKind::okCopy, {first, Tmp.Path("src/big"), last}, dst,
          [](const TFileOpProgress& p) { return p.BytesDone < (12u << 20); });
  ASSERT_EQ(report.Items.size(), 3u);
  EXPECT_TRUE(report.Cancelled);
  EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioDone);
  EXPECT_EQ(report.Items[1].Outcome, TItemOutcome::ioCancelled);
  EXPECT_EQ(report.Items[2].Outcome, TItemOutcome::ioCancelled);
  EXPECT_EQ(ReadFile(dst + "/first.txt"), "1");
  EXPECT_FALSE(Exists(dst + "/big"));
  EXPECT_FALSE(Exists(dst + "/last.txt"));
  EXPECT_FALSE(HasWorkLeftovers(dst));
  EXPECT_EQ(Snapshot(Tmp.Path("src")), before);
}

TEST_F(FileOpsThreads, CancelFromTheWindowStopsBeforeAnythingIsTouched) {
  const std::string source = Tmp.File("src/a.txt", "a");
  std::atomic<bool> pressed{false};
  std::optional<TFileOpReport> report;
  TFileOpRequest request;
  request.Kind = TFileOpKind::okMove;
  request.Sources = {source};
  request.TargetFolder = Tmp.Folder("dst");
  request.OnDone = [&](const TFileOpReport& r) { report = r; };
  // The worker waits at its first report of progress until Cancel was pressed.
  request.OnWorkerProgress = [&](const TFileOpProgress&) {
    while (!pressed.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
  };
  Ops->Start(std::move(request));
  ASSERT_EQ(Ui.OpenWindows(), 1u);
  Ui.CancelAll();
  pressed = true;
  ASSERT_TRUE(Backend.Loop.RunUntil([&] { return report.has_value(); }, kPatienceMs));
  EXPECT_TRUE(report->Cancelled);
  EXPECT_EQ(report->Items[0].Outcome, TItemOutcome::ioCancelled);
  EXPECT_EQ(ReadFile(source), "a");
  EXPECT_FALSE(Exists(Tmp.Path("dst/a.txt")));
}

TEST_F(FileOpsThreads, MoveAcrossFileSystemsLosesNothing) {
  const TTempFolder& shm = Far();
  shm.File("tree/a.txt", "alpha");
  chmod(shm.Path("tree/a.txt").c_str(), 0604);
  SetWriteTime(shm.Path("tree/a.txt"), 1250000000);
  shm.File("tree/sub/b.bin", Big(9 << 20, 'q'));
  ASSERT_EQ(symlink("../a.txt", shm.Path("tree/sub/link").c_str()), 0);
  shm.Folder("tree/empty");
  const std::string growing = shm.File("growing.bin", Big(9 << 20, 'g'));
  const auto tree = Snapshot(shm.Path("tree"));
  const std::string dst = Tmp.Folder("dst");

  // The second source is written to while it is copied: its copy can not be trusted.
  bool appended = false;
  const TFileOpReport report =
      Run(TFileOpKind::okMove, {shm.Path("tree"), growing}, dst, [&](const TFileOpProgress& p) {
        if (!appended && p.Current == growing && p.BytesDone > (9u << 20)) {
          appended = fstest::MakeFile(growing, Big(9 << 20, 'g') + "more");
        }
        return true;
      });
  ASSERT_EQ(report.Items.size(), 2u);
  EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioDone);
  EXPECT_TRUE(report.Items[0].Errors.empty());
  EXPECT_EQ(Snapshot(dst + "/tree"), tree);
  EXPECT_FALSE(Exists(shm.Path("tree")));

  ASSERT_TRUE(appended);
  EXPECT_EQ(report.Items[1].Outcome, TItemOutcome::ioFailed);
  ASSERT_FALSE(report.Items[1].Errors.empty());
  EXPECT_NE(report.Items[1].Errors[0].find(growing), std::string::npos);
  EXPECT_EQ(ReadFile(growing), Big(9 << 20, 'g') + "more");
  EXPECT_FALSE(Exists(dst + "/growing.bin"));
  EXPECT_FALSE(HasWorkLeftovers(dst));
}

TEST_F(FileOpsThreads, DeleteRemovesWholeTreesAndStopsWhenCancelled) {
  Tmp.File("gone/a/b/c.txt", "c");
  Tmp.File("kept/x.txt", "x");
  Tmp.File("kept/y.txt", "y");
  const TFileOpReport removed = Run(TFileOpKind::okDelete, {Tmp.Path("gone")});
  EXPECT_EQ(removed.Items[0].Outcome, TItemOutcome::ioDone);
  EXPECT_FALSE(Exists(Tmp.Path("gone")));
  EXPECT_EQ(removed.Progress.FilesDone, 4u);
  const TFileOpReport stopped = Run(TFileOpKind::okDelete, {Tmp.Path("kept")}, {},
                                    [](const TFileOpProgress& p) { return p.FilesDone < 1; });
  EXPECT_EQ(stopped.Items[0].Outcome, TItemOutcome::ioCancelled);
  EXPECT_TRUE(Exists(Tmp.Path("kept")));
}

TEST_F(FileOpsThreads, TrashAsksOnceBeforeDeletingWhatHasNoTrash) {
  const std::string normal = Tmp.File("files/normal.txt", "n");
  const std::string stuck1 = Tmp.File("notrash/one.txt", "1");
  const std::string stuck2 = Tmp.File("notrash/two.txt", "2");
  TrashCan.NoTrashUnder = {Tmp.Path("notrash")};

  Backend.Dialog.MessageAnswers = {TMsgResult::mrNo};
  const TFileOpReport declined = Run(TFileOpKind::okTrash, {normal, stuck1, stuck2});
  EXPECT_EQ(declined.Items[0].Outcome, TItemOutcome::ioDone);
  EXPECT_EQ(declined.Items[1].Outcome, TItemOutcome::ioSkipped);
  EXPECT_EQ(declined.Items[2].Outcome, TItemOutcome::ioSkipped);
  ASSERT_EQ(Backend.Dialog.Calls.size(), 1u);
  EXPECT_NE(Backend.Dialog.Calls[0].find(stuck2), std::string::npos);
  EXPECT_TRUE(Exists(stuck1) && Exists(stuck2));
  EXPECT_EQ(TrashCan.Info().Count, 1u);

  Backend.Dialog.MessageAnswers = {TMsgResult::mrYes};
  const TFileOpReport agreed = Run(TFileOpKind::okTrash, {stuck1, stuck2});
  EXPECT_EQ(agreed.Items[0].Outcome, TItemOutcome::ioDeleted);
  EXPECT_EQ(agreed.Items[1].Outcome, TItemOutcome::ioDeleted);
  EXPECT_FALSE(Exists(stuck1) || Exists(stuck2));
  EXPECT_EQ(TrashCan.Info().Count, 1u);
}

TEST_F(FileOpsThreads, DestroyedWhileWaitingForAnAnswerItReportsNothingAndReturns) {
  Tmp.File("src/x", "new");
  Tmp.File("dst/x", "old");
  bool reported = false;
  TFileOpRequest request;
  request.Kind = TFileOpKind::okMove;
  request.Sources = {Tmp.Path("src/x")};
  request.TargetFolder = Tmp.Path("dst");
  request.OnDone = [&](const TFileOpReport&) { reported = true; };
  Ui.ConflictAnswers = {{TConflictChoice::ccReplace, false}};
  Ops->Start(std::move(request));
  Ops.reset();  // the question was never served: the interface thread did not run
  Backend.Loop.RunUntilIdle();
  EXPECT_FALSE(reported);
  EXPECT_EQ(Ui.OpenWindows(), 0u);
  EXPECT_EQ(ReadFile(Tmp.Path("src/x")), "new");
  EXPECT_EQ(ReadFile(Tmp.Path("dst/x")), "old");
}

TEST_F(FileOpsThreads, AMissingTargetFolderFailsEveryEntryByName) {
  const std::string source = Tmp.File("a.txt", "a");
  const TFileOpReport report = Run(TFileOpKind::okMove, {source}, Tmp.Path("nowhere"));
  ASSERT_EQ(report.Items.size(), 1u);
  EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioFailed);
  ASSERT_EQ(report.Items[0].Errors.size(), 1u);
  EXPECT_NE(report.Items[0].Errors[0].find(Tmp.Path("nowhere")), std::string::npos);
  EXPECT_EQ(ReadFile(source), "a");
}
