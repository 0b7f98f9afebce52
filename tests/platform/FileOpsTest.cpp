// Copy, move, delete and trash on a worker, on the real file system, with the headless windows
// answering conflicts from a script.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
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

namespace {

// The report of copying or moving the folder D somewhere inside itself.
void ExpectRefusedIntoItself(const TFileOpReport& report, const std::string& d) {
  ASSERT_EQ(report.Items.size(), 1u);
  EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioFailed);
  ASSERT_EQ(report.Items[0].Errors.size(), 1u);
  EXPECT_NE(report.Items[0].Errors[0].find(d + " into itself"), std::string::npos)
      << report.Items[0].Errors[0];
}

}  // namespace

TEST_F(FileOpsThreads, AFolderReachedThroughALinkIsStillItself) {
  Tmp.File("d/sub/f.txt", "f");
  ASSERT_EQ(symlink(Tmp.Path("d").c_str(), Tmp.Path("to-d").c_str()), 0);
  ASSERT_EQ(symlink(Tmp.Root().c_str(), Tmp.Path("to-root").c_str()), 0);
  const auto before = Snapshot(Tmp.Path("d"));
  struct TCase {
    std::string Source, Target;
  };
  const TCase cases[] = {
      {Tmp.Path("d"), Tmp.Path("to-d/sub")},       // the target through a link
      {Tmp.Path("to-root/d"), Tmp.Path("d/sub")},  // the source through a link
      {Tmp.Path("to-root/d"), Tmp.Path("to-d")},   // both
  };
  for (TFileOpKind kind : {TFileOpKind::okCopy, TFileOpKind::okMove}) {
    for (const TCase& c : cases) {
      SCOPED_TRACE(c.Source + " -> " + c.Target);
      ExpectRefusedIntoItself(Run(kind, {c.Source}, c.Target), c.Source);
      EXPECT_EQ(Snapshot(Tmp.Path("d")), before);
    }
  }
}

TEST_F(FileOpsThreads, AFolderReachedThroughABindMountIsStillItself) {
  if (geteuid() != 0) GTEST_SKIP() << "a bind mount needs root";
  Tmp.File("d/sub/f.txt", "f");
  const std::string view = Tmp.Folder("view");
  if (mount(Tmp.Path("d").c_str(), view.c_str(), nullptr, MS_BIND, nullptr) != 0)
    GTEST_SKIP() << "mount --bind is refused here: " << strerror(errno);
  // Unmounted before the temporary folder is removed, so nothing is removed through it.
  const std::unique_ptr<const std::string, void (*)(const std::string*)> unmount(
      &view, [](const std::string* path) { umount2(path->c_str(), MNT_DETACH); });
  const auto before = Snapshot(Tmp.Path("d"));
  for (TFileOpKind kind : {TFileOpKind::okCopy, TFileOpKind::okMove}) {
    for (const std::string& target : {view + "/sub", view}) {
      SCOPED_TRACE(target);
      ExpectRefusedIntoItself(Run(kind, {Tmp.Path("d")}, target), Tmp.Path("d"));
      EXPECT_EQ(Snapshot(Tmp.Path("d")), before);
    }
  }
}

TEST_F(FileOpsThreads, ReplacingTheFolderThatHoldsTheSourceIsRefused) {
  struct TCase {
    const char* Name;
    std::string Source;
    std::vector<TConflictAnswer> Answers;
  };
  // t/A/A into t would set t/A aside, and the source with it. Inside a merge the same: t/X/Y/X
  // merges into t/X, where its file Y would replace the folder t/X/Y that holds it.
  const TCase cases[] = {
      {"a file replacing its own folder", "A/A", {{TConflictChoice::ccReplace, false}}},
      {"a file replacing the folder that holds it, within a merge",
       "X/Y/X",
       {{TConflictChoice::ccReplace, false}, {TConflictChoice::ccReplace, false}}},
  };
  Tmp.File("t/A/A", "inner");
  Tmp.File("t/A/other.txt", "other");
  Tmp.File("t/X/Y/X/Y", "deep");
  const auto before = Snapshot(Tmp.Path("t"));
  for (TFileOpKind kind : {TFileOpKind::okCopy, TFileOpKind::okMove}) {
    for (const TCase& c : cases) {
      SCOPED_TRACE(c.Name);
      Ui.ConflictAnswers.assign(c.Answers.begin(), c.Answers.end());
      const std::string source = Tmp.Path("t/" + c.Source);
      const TFileOpReport report = Run(kind, {source}, Tmp.Path("t"));
      ASSERT_EQ(report.Items.size(), 1u);
      EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioFailed);
      EXPECT_TRUE(Contains(report.Items[0].Errors, "inside the folder it would replace"))
          << ::testing::PrintToString(report.Items[0].Errors);
      EXPECT_EQ(Snapshot(Tmp.Path("t")), before);
      EXPECT_FALSE(HasWorkLeftovers(Tmp.Path("t")));
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

TEST_F(FileOpsThreads, FilesWhoseSizeIsNotKnownInAdvanceAreCopiedAsRead) {
  // /proc reports 0 bytes for these; their text is made when they are read.
  const std::string dst = Tmp.Folder("dst");
  const TFileOpReport report =
      Run(TFileOpKind::okCopy, {"/proc/version", "/proc/self/status"}, dst);
  ASSERT_EQ(report.Items.size(), 2u);
  for (const TFileOpItem& item : report.Items) {
    EXPECT_EQ(item.Outcome, TItemOutcome::ioDone) << item.Source;
    EXPECT_TRUE(item.Errors.empty()) << ::testing::PrintToString(item.Errors);
  }
  EXPECT_EQ(ReadFile(dst + "/version"), ReadFile("/proc/version"));
  EXPECT_NE(ReadFile(dst + "/version").find("Linux"), std::string::npos);
  // The numbers in a process's status change from one read to the next; its name does not.
  const std::string status = ReadFile(dst + "/status");
  EXPECT_EQ(status.substr(0, status.find('\n')),
            ReadFile("/proc/self/status").substr(0, status.find('\n')));
  EXPECT_NE(status.find("\nPid:"), std::string::npos);
}

TEST_F(FileOpsThreads, SysFilesReportingOnePageAreCopiedAsRead) {
  // /sys reports one page for its files, whatever they hold.
  const std::string online = "/sys/devices/system/cpu/online";
  struct stat st;
  if (stat(online.c_str(), &st) != 0 || access(online.c_str(), R_OK) != 0)
    GTEST_SKIP() << online << " can not be read here";
  const std::string dst = Tmp.Folder("dst");
  const TFileOpReport report = Run(TFileOpKind::okCopy, {online}, dst);
  ASSERT_EQ(report.Items.size(), 1u);
  EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioDone);
  EXPECT_TRUE(report.Items[0].Errors.empty()) << ::testing::PrintToString(report.Items[0].Errors);
  EXPECT_EQ(ReadFile(dst + "/online"), ReadFile(online));
  EXPECT_NE(ReadFile(dst + "/online").size(), size_t(st.st_size));
}

TEST_F(FileOpsThreads, AnOrdinaryFileCutShortWhileItIsCopiedFails) {
  // Unlike /proc and /sys, an ordinary file that ends before its size was read changed.
  const std::string source = Tmp.File("src/cut.bin", Big(9 << 20, 'c'));
  const std::string dst = Tmp.Folder("dst");
  bool cut = false;
  const TFileOpReport report =
      Run(TFileOpKind::okCopy, {source}, dst, [&](const TFileOpProgress& p) {
        if (!cut && p.Current == source) cut = truncate(source.c_str(), 1000) == 0;
        return true;
      });
  ASSERT_TRUE(cut);
  ASSERT_EQ(report.Items.size(), 1u);
  EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioFailed);
  EXPECT_TRUE(Contains(report.Items[0].Errors, source + ": it changed while it was read"))
      << ::testing::PrintToString(report.Items[0].Errors);
  EXPECT_FALSE(Exists(dst + "/cut.bin"));
  EXPECT_FALSE(HasWorkLeftovers(dst));
}

namespace {

// A name of exactly Bytes bytes: ASCII padding, then Character repeated up to the extension.
std::string NameOfLength(size_t bytes, const std::string& character, const std::string& ext) {
  std::string stem;
  const size_t stemBytes = bytes - ext.size();
  while (stem.size() + character.size() <= stemBytes) stem += character;
  return std::string(stemBytes - stem.size(), 'p') + stem + ext;
}

bool ContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Number N added to Original as FreeName must: " (N)" before the extension, the stem cut as
// little as needed and only between characters, the whole within 255 bytes.
void ExpectNumberedName(const std::string& original, const std::string& ext,
                        const std::string& made, int n) {
  const std::string number = " (" + std::to_string(n) + ")";
  SCOPED_TRACE(made);
  EXPECT_LE(made.size(), 255u);
  ASSERT_GE(made.size(), number.size() + ext.size());
  EXPECT_EQ(made.substr(made.size() - ext.size() - number.size()), number + ext);
  const std::string stem = made.substr(0, made.size() - ext.size() - number.size());
  ASSERT_FALSE(stem.empty());
  EXPECT_EQ(original.compare(0, stem.size(), stem), 0) << "not a start of the original";
  EXPECT_FALSE(ContinuationByte(original[stem.size()])) << "cut inside a character";
  EXPECT_GT(stem.size() + 4, 255 - number.size() - ext.size()) << "cut more than needed";
}

}  // namespace

TEST_F(FileOpsThreads, NumberedNamesOfLongNamesFitIn255Bytes) {
  const std::string characters[] = {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
  int round = 0;
  for (const std::string& ext : {std::string(".txt"), std::string()}) {
    for (const std::string& character : characters) {
      for (size_t bytes = 250; bytes <= 255; ++bytes) {
        const std::string name = NameOfLength(bytes, character, ext);
        SCOPED_TRACE(std::to_string(bytes) + " bytes of " + character + ext);
        const std::string base = "r" + std::to_string(round++);
        // A duplicate in its own folder, twice; "keep both" for a clash elsewhere.
        const std::string own = Tmp.File(base + "/own/" + name, "dup");
        Tmp.File(base + "/dst/" + name, "old");
        const TFileOpReport twice = Run(TFileOpKind::okCopy, {own, own}, Tmp.Path(base + "/own"));
        Ui.ConflictAnswers = {{TConflictChoice::ccKeepBoth, false}};
        const TFileOpReport both = Run(TFileOpKind::okCopy, {own}, Tmp.Path(base + "/dst"));
        ASSERT_EQ(twice.Items.size(), 2u);
        ASSERT_EQ(both.Items.size(), 1u);
        const std::pair<const TFileOpItem*, int> made[] = {
            {&twice.Items[0], 2}, {&twice.Items[1], 3}, {&both.Items[0], 2}};
        for (const auto& [item, n] : made) {
          ASSERT_EQ(item->Outcome, TItemOutcome::ioDone) << ::testing::PrintToString(item->Errors);
          const std::string madeName = item->Target.substr(item->Target.rfind('/') + 1);
          const std::string stemAndExt = name.substr(0, name.size() - ext.size());
          ExpectNumberedName(stemAndExt, ext, madeName, n);
          EXPECT_EQ(ReadFile(item->Target), "dup");
        }
        EXPECT_EQ(ReadFile(Tmp.Path(base + "/dst/" + name)), "old");
      }
    }
  }
}

TEST_F(FileOpsThreads, AnExtensionTooLongToKeepIsCutWithTheName) {
  // "a." and 252 bytes of extension: no room for a stem before it, so the number goes last.
  const std::string name = "a." + std::string(252, 'x');
  const std::string folderName(255, 'f');  // folders have no extension
  const std::string file = Tmp.File("own/" + name, "f");
  const std::string folder = Tmp.Folder("own/" + folderName);
  const TFileOpReport report = Run(TFileOpKind::okCopy, {file, folder}, Tmp.Path("own"));
  ASSERT_EQ(report.Items.size(), 2u);
  EXPECT_EQ(report.Items[0].Target, Tmp.Path("own/" + name.substr(0, 251) + " (2)"));
  EXPECT_EQ(report.Items[1].Target, Tmp.Path("own/" + folderName.substr(0, 251) + " (2)"));
  EXPECT_EQ(ReadFile(report.Items[0].Target), "f");
}
