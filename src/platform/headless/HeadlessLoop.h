// The test backend's interface loop. The thread that creates it is the interface thread. Nothing
// runs by itself: the test pumps with RunUntilIdle and moves a virtual clock with Advance, so
// timer tests are exact and never depend on wall-clock time. With a real clock, timers fall due
// as time passes and RunFor pumps for a while.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "platform/UiLoop.h"
#include "platform/UiRequests.h"

namespace platform::headless {

enum class TClock { ckVirtual, ckReal };

class THeadlessLoop : public UiLoop {
 public:
  explicit THeadlessLoop(TClock clock = TClock::ckVirtual);

  void Post(std::function<void()> fn) override;
  void RunOnUiThread(std::function<void()> fn, const std::atomic<bool>* abandon) override;
  void WaitServing(const std::function<bool()>& done) override;
  void WakeServing() override { FRequests.Wake(); }
  bool IsUiThread() const override { return std::this_thread::get_id() == FUiThread; }
  uint64_t TickCount() const override;
  TTimerId StartTimer(int intervalMs, bool repeat, std::function<void()> fn) override;
  void StopTimer(TTimerId id) override;
  void Run() override;
  void Quit() override;

  // Runs blocking requests, posted work and due timers until none is left; posted work runs
  // before timers that fall due at the same time. Returns how many callbacks ran.
  int RunUntilIdle();
  // Virtual clock: moves time forward by Ms, firing each timer at its own due time in order and
  // pumping after each. Real clock: pumps for Ms of wall-clock time.
  void Advance(uint64_t ms);
  // Pumps until Done() is true or Ms of (real) time have passed; returns Done().
  bool RunUntil(const std::function<bool()>& done, uint64_t ms);

  size_t PendingTimers() const { return FTimers.size(); }

 private:
  struct TTimerEntry {
    uint64_t Due;
    int Interval;
    bool Repeat;
    std::shared_ptr<std::function<void()>> Fn;
  };

  int RunPosted();
  bool FireNextDueTimer(uint64_t now);
  void WakeUp();

  const TClock FClock;
  const std::thread::id FUiThread;
  const uint64_t FStart;       // real clock origin
  uint64_t FVirtualNow = 0;    // interface thread only
  TUiRequests FRequests;
  std::mutex FPostLock;
  std::condition_variable FPostSignal;
  std::deque<std::function<void()>> FPosted;
  std::map<TTimerId, TTimerEntry> FTimers;  // interface thread only
  TTimerId FNextTimer = 1;
  bool FQuit = false;
};

}  // namespace platform::headless
