#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/UiLoop.h"
#include "platform/WheelAccumulator.h"
#include "platform/headless/HeadlessBackend.h"

using namespace platform;
using namespace platform::headless;

TEST(HeadlessLoop, PostedWorkRunsInOrderBeforeTimersDueAtTheSameTime) {
  THeadlessBackend backend;
  std::vector<std::string> log;
  Timer timer(10, false, [&] { log.push_back("timer"); });
  timer.Start();
  backend.Loop.Advance(10);  // the timer is due now, nothing has been posted yet
  ASSERT_EQ(log, std::vector<std::string>{"timer"});
  log.clear();
  timer.Start();
  Post([&] {
    log.push_back("a");
    Post([&] { log.push_back("c"); });  // posted while running: still before the timer
  });
  Post([&] { log.push_back("b"); });
  backend.Loop.Advance(10);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "timer"}));
}

TEST(HeadlessLoop, RepeatingAndOneShotTimersOnTheVirtualClock) {
  THeadlessBackend backend;
  std::vector<uint64_t> repeating, once;
  Timer every(30, true, [&] { repeating.push_back(TickCount()); });
  Timer single(45, false, [&] { once.push_back(TickCount()); });
  every.Start();
  single.Start();
  backend.Loop.Advance(100);
  EXPECT_EQ(repeating, (std::vector<uint64_t>{30, 60, 90}));
  EXPECT_EQ(once, std::vector<uint64_t>{45});
  EXPECT_FALSE(single.Enabled());
  EXPECT_TRUE(every.Enabled());
  every.SetInterval(30);  // the same interval does not restart the count
  backend.Loop.Advance(20);
  EXPECT_EQ(repeating.back(), 120u);
  every.SetInterval(50);  // a new one does
  backend.Loop.Advance(49);
  EXPECT_EQ(repeating.back(), 120u);
  backend.Loop.Advance(1);
  EXPECT_EQ(repeating.back(), 170u);
}

TEST(HeadlessLoop, TimerStoppedOrDestroyedInsideItsHandler) {
  THeadlessBackend backend;
  int fired = 0;
  Timer stopper(10, true, {});
  stopper.SetHandler([&] {
    ++fired;
    stopper.Stop();
  });
  stopper.Start();
  std::unique_ptr<Timer> owned;
  owned = std::make_unique<Timer>(10, true, [&] { owned.reset(); });
  owned->Start();
  backend.Loop.Advance(50);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(owned, nullptr);
  EXPECT_EQ(backend.Loop.PendingTimers(), 0u);
}

TEST(HeadlessLoopThreads, RunOnUiThreadServedWhileTheInterfaceWaitsForTheWorker) {
  THeadlessBackend backend(TClock::ckReal);
  std::atomic<bool> workerDone{false};
  std::thread::id ranOn;
  std::thread worker([&] {
    // The interface thread is blocked waiting for this thread; the request must still run.
    RunOnUiThread([&] { ranOn = std::this_thread::get_id(); });
    workerDone = true;
    TheUiLoop().WakeServing();
  });
  TheUiLoop().WaitServing([&] { return workerDone.load(); });
  worker.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(HeadlessLoopThreads, AbandonedRequestReturnsWithoutRunning) {
  THeadlessBackend backend(TClock::ckReal);
  std::atomic<bool> stopping{false}, returned{false}, ran{false};
  std::thread worker([&] {
    RunOnUiThread([&] { ran = true; }, &stopping);
    returned = true;
  });
  // The interface thread does not serve; the task is stopped instead. Whether the request was
  // queued by then or not, the worker must return without the request running.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  stopping = true;
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_FALSE(ran);
  backend.Loop.RunUntilIdle();
  EXPECT_FALSE(ran);  // nothing runs later either
}

TEST(HeadlessLoopThreads, RunOnUiThreadInlineOnTheInterfaceThread) {
  THeadlessBackend backend;
  bool ran = false;
  RunOnUiThread([&] { ran = true; });
  EXPECT_TRUE(ran);  // no pump needed
}

namespace {
struct TCountingSink : WindowEvents {
  int Paints = 0;
  gfx::TBitmap32 Canvas{4, 3};
  void OnPaint(Window& w) override {
    ++Paints;
    w.Present(Canvas);
  }
};
}  // namespace

TEST(HeadlessWindowThreads, BurstOfInvalidatesFromManyThreadsMakesOneRepaint) {
  THeadlessBackend backend(TClock::ckReal);
  TCountingSink sink;
  auto window = backend.CreateMainWindow(sink, 8, 6);
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&] {
      for (int i = 0; i < 100; ++i) window->Invalidate();
    });
  for (auto& w : workers) w.join();
  backend.Loop.RunUntilIdle();
  EXPECT_EQ(sink.Paints, 1);
  window->Invalidate();  // a later request repaints again
  backend.Loop.RunUntilIdle();
  EXPECT_EQ(sink.Paints, 2);
}

TEST(HeadlessWindow, PresentShowsTheCanvasAndWhiteBeyondIt) {
  THeadlessBackend backend;
  TCountingSink sink;
  sink.Canvas.Clear(gfx::clBlack32);
  auto window = backend.CreateMainWindow(sink, 8, 6);
  window->RedrawSync(nullptr);
  const gfx::TBitmap32& shown = window->Presented();
  ASSERT_EQ(shown.Width(), 8);
  EXPECT_EQ(shown.Pixel(3, 2), gfx::clBlack32);
  EXPECT_EQ(shown.Pixel(4, 2), gfx::clWhite32);
  EXPECT_EQ(shown.Pixel(0, 3), gfx::clWhite32);
}

TEST(HeadlessServices, ClipboardAndScriptedDialogs) {
  THeadlessBackend backend;
  EXPECT_EQ(TheClipboard().GetText(), "");
  TClipFiles files;
  EXPECT_FALSE(TheClipboard().GetFiles(files));
  TheClipboard().SetFiles({{"/a/one", "/b/two"}, TFileClipOp::fcCut});
  ASSERT_TRUE(TheClipboard().GetFiles(files));
  EXPECT_EQ(files.Op, TFileClipOp::fcCut);
  EXPECT_EQ(files.Paths.size(), 2u);
  EXPECT_EQ(TheClipboard().GetText(), "/a/one\n/b/two");
  TheClipboard().SetText("x");
  EXPECT_FALSE(TheClipboard().GetFiles(files));

  backend.Dialog.PathAnswers.push_back("/home");
  EXPECT_EQ(TheDialogs().ChooseFolder("Pick", ""), std::optional<std::string>("/home"));
  EXPECT_EQ(TheDialogs().OpenFile("Open", {}, ""), std::nullopt);  // no answer left: cancelled
  EXPECT_EQ(TheDialogs().MessageBox("Sure?", "Norvo", TMsgButtons::mbYesNo, TMsgKind::mkQuestion), TMsgResult::mrNo);
  EXPECT_EQ(backend.Dialog.Calls.size(), 3u);
  TheSound().PlayAsync("Data/Media/Nav.wav");
  EXPECT_EQ(backend.Audio.Played, std::vector<std::string>{"Data/Media/Nav.wav"});
}

TEST(WheelAccumulator, SmoothScrollingBecomesWholeNotches) {
  TWheelAccumulator wheel;
  // Touchpad steps of a third of a notch down: a notch is passed on every third step.
  EXPECT_EQ(wheel.Add(0.34), 0);
  EXPECT_EQ(wheel.Add(0.34), 0);
  EXPECT_EQ(wheel.Add(0.34), -120);
  // Turning back first uses up what was left over, then goes the other way.
  EXPECT_EQ(wheel.Add(-0.5), 0);
  EXPECT_EQ(wheel.Add(-0.6), 120);
  EXPECT_EQ(wheel.Add(-3.0), 360);  // a fast flick gives several notches at once
  wheel.Reset();
  EXPECT_EQ(wheel.Add(-0.9), 0);
}

TEST(HeadlessWindow, RepaintQueuedWhenTheWindowGoesDoesNothing) {
  THeadlessBackend backend;
  TCountingSink sink;
  auto window = backend.CreateMainWindow(sink, 8, 6);
  window->Invalidate();
  window.reset();  // the queued repaint must not touch the destroyed window
  backend.Loop.RunUntilIdle();
  EXPECT_EQ(sink.Paints, 0);
}
