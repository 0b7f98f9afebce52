#include "platform/ThreadCheck.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "platform/DirWatch.h"
#include "platform/UiLoop.h"
#include "platform/headless/HeadlessBackend.h"

namespace platform {
namespace {

void OnAWorker(const std::function<void()>& fn) {
  std::thread worker(fn);
  worker.join();
}

// The entry points that belong to the interface thread stop a worker that calls them, naming
// the entry point; the same calls pass on the interface thread and while no loop is installed.
TEST(ThreadCheckDeathTest, InterfaceEntryPointsStopAWorker) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        headless::THeadlessBackend backend;
        Timer timer(10, true, [] {});
        OnAWorker([&] { timer.Start(); });
      },
      "SetEnabled may only be called on the interface thread");
  EXPECT_DEATH(
      {
        headless::THeadlessBackend backend;
        TDirWatcher watcher(backend.Loop);
        OnAWorker([&] { (void)watcher.Add("/", [] {}, [] {}); });
      },
      "Add may only be called on the interface thread");
}

TEST(ThreadCheck, PassesOnTheInterfaceThreadAndWithoutALoop) {
  OnAWorker([] { EXPECT_TRUE(OnUiThreadOrNoLoop()); });
  headless::THeadlessBackend backend;
  EXPECT_TRUE(OnUiThreadOrNoLoop());
  OnAWorker([] { EXPECT_FALSE(OnUiThreadOrNoLoop()); });
  Timer timer(10, true, [] {});
  timer.Start();
  EXPECT_TRUE(timer.Enabled());
}

}  // namespace
}  // namespace platform
