#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

#include "TaskTestSupport.h"
#include "tasks/NV_ThreadTimer.h"

using namespace tasks;
using platform::headless::TClock;
using platform::headless::THeadlessBackend;
using tasktest::PumpUntil;
using tasktest::WaitFor;

namespace {

// A timer on a clock that moves only when the test says so. Its handler records the clock at
// each tick and may pretend to run for a while by moving the clock itself.
class ThreadTimerThreads : public ::testing::Test {
 protected:
  THeadlessBackend Backend{TClock::ckVirtual};
  TManualTimerClock Clock;
  std::vector<uint64_t> Ticks;      // interface thread only
  std::vector<uint64_t> HandlerMs;  // how long tick n "runs"; 0 beyond the list
  std::unique_ptr<TThreadTimer> Timer = std::make_unique<TThreadTimer>(Clock);

  void SetUp() override {
    Timer->SetOnTimer([this](TThreadTimer&) {
      const size_t n = Ticks.size();
      Ticks.push_back(Clock.NowMs());
      if (n < HandlerMs.size()) Clock.Advance(HandlerMs[n]);
    });
  }

  // Moves the clock and waits until the measuring thread has looked at the new time and gone
  // back to sleep, serving any tick that falls due on the way.
  // A handler that moves the clock moves the point of settling with it.
  void AdvanceAndSettle(uint64_t ms) {
    Clock.Advance(ms);
    TCounterThread& thread = Timer->Thread();
    ASSERT_TRUE(PumpUntil(Backend,
                          [&] {
                            const TCounterThread::TState state = thread.State();
                            return state.Sleeping && state.PacingCounter == Clock.NowMs();
                          }))
        << "at " << Clock.NowMs();
  }
};

}  // namespace

TEST_F(ThreadTimerThreads, TicksOneIntervalAfterThePreviousTickBeganHandlerTimeIncluded) {
  HandlerMs = {200, 0, 2000};
  Timer->SetInterval(1500);
  Timer->SetEnabled(true);  // at 0
  AdvanceAndSettle(1499);
  EXPECT_TRUE(Ticks.empty());
  AdvanceAndSettle(1);  // the first tick runs 200 ms: the clock is at 1700 afterwards
  EXPECT_EQ(Ticks, std::vector<uint64_t>{1500});
  AdvanceAndSettle(1299);
  EXPECT_EQ(Ticks.size(), 1u);
  AdvanceAndSettle(1);
  EXPECT_EQ(Ticks, (std::vector<uint64_t>{1500, 3000}));
  // A tick slower than the interval makes the next one come at once.
  AdvanceAndSettle(1500);
  EXPECT_EQ(Ticks, (std::vector<uint64_t>{1500, 3000, 4500, 6500}));
  AdvanceAndSettle(1499);
  EXPECT_EQ(Ticks.size(), 4u);
  AdvanceAndSettle(1);
  EXPECT_EQ(Ticks.back(), 8000u);
}

TEST_F(ThreadTimerThreads, TheSameIntervalDoesNotRestartTheMeasurementADifferentOneDoes) {
  Timer->SetInterval(1500);
  Timer->SetEnabled(true);
  AdvanceAndSettle(1000);
  Timer->SetInterval(1500);
  AdvanceAndSettle(500);
  EXPECT_EQ(Ticks, std::vector<uint64_t>{1500});
  AdvanceAndSettle(1000);
  Timer->SetInterval(1000);  // at 2500: the next tick one full new interval later
  EXPECT_TRUE(Timer->Enabled());
  AdvanceAndSettle(999);
  EXPECT_EQ(Ticks.size(), 1u);
  AdvanceAndSettle(1);
  EXPECT_EQ(Ticks, (std::vector<uint64_t>{1500, 3500}));
}

TEST_F(ThreadTimerThreads, DisabledTimerIsSilentAndEnablingMeasuresFromThen) {
  Timer->SetInterval(1000);
  Timer->SetEnabled(true);
  AdvanceAndSettle(600);
  Timer->SetEnabled(false);
  Clock.Advance(1000);  // at 1600; a disabled timer lets this pass
  Timer->SetEnabled(true);
  AdvanceAndSettle(999);
  EXPECT_TRUE(Ticks.empty());
  AdvanceAndSettle(1);
  EXPECT_EQ(Ticks, std::vector<uint64_t>{2600});
}

TEST_F(ThreadTimerThreads, AHandlerThatThrowsDoesNotStopTheNextTick) {
  int calls = 0;
  Timer->SetOnTimer([&](TThreadTimer&) {
    ++calls;
    throw std::runtime_error("handler failed");
  });
  Timer->SetInterval(100);
  Timer->SetEnabled(true);
  AdvanceAndSettle(100);
  AdvanceAndSettle(100);
  EXPECT_EQ(calls, 2);
}

TEST_F(ThreadTimerThreads, DestroyingReturnsWhileATickWaitsForTheInterfaceThread) {
  Timer->SetInterval(100);
  Timer->SetEnabled(true);
  Clock.Advance(100);
  TCounterThread& thread = Timer->Thread();
  // The tick is handed over (or about to be); the interface thread does not serve it.
  ASSERT_TRUE(WaitFor([&] {
    const TCounterThread::TState state = thread.State();
    return !state.Sleeping && state.rPacingCounter == 100;
  }));
  {
    tasktest::THangGuard guard;
    Timer.reset();
  }
  Backend.Loop.RunUntilIdle();
  EXPECT_TRUE(Ticks.empty());
}

TEST_F(ThreadTimerThreads, ATimerDestroyedByItsOwnHandlerEndsCleanly) {
  int calls = 0;
  Timer->SetOnTimer([&](TThreadTimer&) {
    ++calls;
    Timer.reset();
  });
  Timer->SetInterval(100);
  Timer->SetEnabled(true);
  Clock.Advance(100);
  {
    tasktest::THangGuard guard;
    ASSERT_TRUE(PumpUntil(Backend, [&] { return Timer == nullptr; }));
    Backend.Loop.RunUntilIdle();  // joins the thread, which ended when its tick returned
  }
  EXPECT_EQ(calls, 1);
}

TEST(ThreadTimerRealClockThreads, TicksOnTheSteadyClock) {
  THeadlessBackend backend(TClock::ckReal);
  int ticks = 0;
  TThreadTimer timer;
  timer.SetOnTimer([&](TThreadTimer& sender) {
    EXPECT_EQ(&sender, &timer);
    ++ticks;
  });
  timer.SetInterval(5);
  timer.SetEnabled(true);
  EXPECT_TRUE(PumpUntil(backend, [&] { return ticks >= 2; }));
}
