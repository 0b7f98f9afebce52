// Change signals from the real file system: the reader thread forwards inotify events to the
// (headless) interface loop, where the callbacks must run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "TempFolder.h"
#include "platform/DirWatch.h"
#include "platform/headless/HeadlessBackend.h"

using namespace platform;
using namespace platform::headless;
using fstest::TTempFolder;

namespace {

// Generous: a deadline only guards against a hang, it measures nothing.
constexpr uint64_t kPatienceMs = 10000;

struct TCounts {
  int Changed = 0;
  int Gone = 0;
  bool OnUiThread = true;
};

class DirWatchThreads : public ::testing::Test {
 protected:
  THeadlessBackend Backend{TClock::ckReal};
  TTempFolder Tmp;
  TDirWatcher Watcher{Backend.Loop};

  TDirWatcher::TWatchId Watch(const std::string& dir, TCounts& counts) {
    return Watcher.Add(
        dir,
        [&counts] {
          ++counts.Changed;
          counts.OnUiThread = counts.OnUiThread && IsUiThread();
        },
        [&counts] {
          ++counts.Gone;
          counts.OnUiThread = counts.OnUiThread && IsUiThread();
        });
  }
  bool WaitFor(const std::function<bool()>& done) {
    return Backend.Loop.RunUntil(done, kPatienceMs);
  }
};

}  // namespace

TEST_F(DirWatchThreads, EveryKindOfChangeInsideSignalsChanged) {
  const std::string dir = Tmp.Folder("watched");
  const std::string outside = Tmp.Folder("outside");
  Tmp.File("watched/old.txt", "x");
  Tmp.File("outside/incoming.txt", "y");
  struct TCase {
    const char* What;
    std::function<void()> Act;
  };
  const TCase cases[] = {
      {"create", [&] { fstest::MakeFile(dir + "/new.txt"); }},
      {"write", [&] { fstest::MakeFile(dir + "/new.txt", "more"); }},
      {"attributes", [&] { chmod((dir + "/new.txt").c_str(), 0600); }},
      {"rename inside",
       [&] { rename((dir + "/new.txt").c_str(), (dir + "/renamed.txt").c_str()); }},
      {"move in",
       [&] { rename((outside + "/incoming.txt").c_str(), (dir + "/incoming.txt").c_str()); }},
      {"move out",
       [&] { rename((dir + "/incoming.txt").c_str(), (outside + "/back.txt").c_str()); }},
      {"delete", [&] { unlink((dir + "/old.txt").c_str()); }},
      {"new folder", [&] { mkdir((dir + "/sub").c_str(), 0755); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TCounts counts;
    const auto id = Watch(dir, counts);
    ASSERT_NE(id, 0u);
    c.Act();
    EXPECT_TRUE(WaitFor([&] { return counts.Changed > 0; }));
    EXPECT_EQ(counts.Gone, 0);
    EXPECT_TRUE(counts.OnUiThread);
    Watcher.Remove(id);
  }
  EXPECT_EQ(Watcher.Count(), 0u);
}

TEST_F(DirWatchThreads, DeletedOrMovedFolderSignalsGoneOnceAndEndsItsWatch) {
  const std::string deleted = Tmp.Folder("deleted");
  const std::string moved = Tmp.Folder("moved");
  TCounts a, b;
  const auto idA = Watch(deleted, a);
  Watch(moved, b);
  ASSERT_EQ(rmdir(deleted.c_str()), 0);
  ASSERT_EQ(rename(moved.c_str(), Tmp.Path("elsewhere").c_str()), 0);
  ASSERT_TRUE(WaitFor([&] { return a.Gone == 1 && b.Gone == 1; }));
  // Nothing more arrives from the moved folder under its new name.
  fstest::MakeFile(Tmp.Path("elsewhere/late.txt"));
  Backend.Loop.Advance(100);
  EXPECT_EQ(b.Gone, 1);
  EXPECT_EQ(b.Changed, 0);
  EXPECT_EQ(Watcher.Count(), 0u);
  Watcher.Remove(idA);  // removing a watch that has gone does nothing
  EXPECT_TRUE(a.OnUiThread && b.OnUiThread);
}

TEST_F(DirWatchThreads, SharedFolderWatchesAreIndependentAndARemovedOneStaysSilent) {
  const std::string dir = Tmp.Folder("shared");
  TCounts kept, removed;
  Watch(dir, kept);
  const auto idRemoved = Watch(dir, removed);
  fstest::MakeFile(dir + "/one");
  ASSERT_TRUE(WaitFor([&] { return kept.Changed > 0 && removed.Changed > 0; }));
  Watcher.Remove(idRemoved);
  const int before = removed.Changed;
  kept.Changed = 0;
  fstest::MakeFile(dir + "/two");
  ASSERT_TRUE(WaitFor([&] { return kept.Changed > 0; }));
  Backend.Loop.RunUntilIdle();
  EXPECT_EQ(removed.Changed, before);
  EXPECT_EQ(Watcher.Count(), 1u);
}

TEST_F(DirWatchThreads, ABurstWhileTheInterfaceIsBusyArrivesAsFewCalls) {
  const std::string dir = Tmp.Folder("burst");
  TCounts counts;
  Watch(dir, counts);
  for (int i = 0; i < 1000; ++i) fstest::MakeFile(dir + "/f" + std::to_string(i), "x");
  // The interface stays busy long enough for the reader to take in the whole burst, even
  // under a sanitizer; every event read meanwhile joins the one call already waiting.
  usleep(300 * 1000);
  ASSERT_TRUE(WaitFor([&] { return counts.Changed > 0; }));
  Backend.Loop.Advance(50);
  // Two thousand kernel events; one call per event would be two thousand calls.
  EXPECT_LE(counts.Changed, 3);
}

TEST_F(DirWatchThreads, WhatCannotBeWatchedIsRefused) {
  TCounts counts;
  EXPECT_EQ(Watch(Tmp.Path("missing"), counts), 0u);
  EXPECT_EQ(Watch(Tmp.File("file.txt"), counts), 0u);
  EXPECT_EQ(Watch("", counts), 0u);
  EXPECT_EQ(Watcher.Count(), 0u);
}

TEST_F(DirWatchThreads, OwnedWatchEndsWithItsOwnerAndKnowsWhenItsFolderWent) {
  SetDirWatcher(&Watcher);
  const std::string dir = Tmp.Folder("owned");
  int changed = 0, gone = 0;
  {
    TDirWatch watch;
    ASSERT_TRUE(watch.Start(dir, [&] { ++changed; }));
    EXPECT_TRUE(watch.Active());
  }
  EXPECT_EQ(Watcher.Count(), 0u);
  TDirWatch watch;
  ASSERT_TRUE(watch.Start(
      dir, [&] { ++changed; }, [&] { ++gone; }));
  ASSERT_EQ(rmdir(dir.c_str()), 0);
  ASSERT_TRUE(WaitFor([&] { return gone == 1; }));
  EXPECT_FALSE(watch.Active());
  EXPECT_FALSE(watch.Start(dir, [] {}));
  SetDirWatcher(nullptr);
}
