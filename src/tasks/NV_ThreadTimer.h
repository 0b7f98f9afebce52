// A timer measured by a thread of its own whose tick runs on the interface thread.
//
// The measuring thread sleeps until a deadline on its clock instead of polling: a tick falls due
// one interval after the previous tick began (or after enabling), so the handler's run time is
// part of the next interval and a handler slower than the interval makes the next tick come at
// once. The thread hands each tick to the interface thread and waits until it has run there.
//
// Threads: the timer is set up, changed and destroyed on the interface thread, and its handler
// runs there. The measuring thread reads only its own counters and interval, under its lock.
// Destroying the timer ends the thread: a tick still waiting for the interface thread returns
// without running, and a timer destroyed by its own handler lets the thread finish by itself.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "tasks/NV_TimerClock.h"

namespace tasks {

class TThreadTimer;

// The measuring thread. It is started by the first enabling and lives as long as the timer,
// or, when the timer is destroyed by its own handler, until that tick returns.
class TCounterThread : public TClockSleeper, public std::enable_shared_from_this<TCounterThread> {
 public:
  TCounterThread(TThreadTimer& owner, TTimerClock& clock);
  ~TCounterThread();
  TCounterThread(const TCounterThread&) = delete;
  TCounterThread& operator=(const TCounterThread&) = delete;

  // The new interval, or 0 (ignored) when Value is 0 or the interval already.
  int SetInterval(int value);
  int Interval() const;

  struct TState {
    bool Sleeping = false;        // waiting: for the next deadline, or for enabling
    uint64_t PacingCounter = 0;   // the latest clock reading
    uint64_t rPacingCounter = 0;  // the reading when the last tick began (or enabling)
  };
  // All three read at one moment.
  TState State() const;

  void ClockMoved() override;

 private:
  friend class TThreadTimer;

  void Resume();  // measures again from now; starts the thread the first time
  void Suspend();
  void End();      // stops the thread and waits for it (unless inside its own tick)
  void Execute();  // the thread
  void Tick();     // on the interface thread

  TTimerClock& FClock;
  std::atomic<TThreadTimer*> FOwner;
  std::atomic<bool> FStop{false};  // also the abandon flag of a tick's hand-over
  std::atomic<bool> FInTick{false};
  mutable std::mutex FLock;
  std::condition_variable FSignal;
  bool FRunning = false;
  bool FSleeping = false;
  bool FEnded = false;
  bool FUnwatched = false;   // ended from inside its own tick: nobody waits for the thread
  uint64_t FGeneration = 0;  // bumped by every enabling, so a sleeper re-reads its deadline
  uint64_t PacingCounterMs = 0;
  uint64_t rPacingCounterMs = 0;
  int Finterval = 1000;
  std::thread FThread;  // interface thread only
};

class TThreadTimer {
 public:
  using TNotifyEvent = std::function<void(TThreadTimer& sender)>;

  explicit TThreadTimer(TTimerClock& clock = SteadyTimerClock());
  ~TThreadTimer();
  TThreadTimer(const TThreadTimer&) = delete;
  TThreadTimer& operator=(const TThreadTimer&) = delete;

  void SetOnTimer(TNotifyEvent handler) { FOnTimer = std::move(handler); }
  bool Enabled() const { return FEnabled; }
  // Enabling measures from now; with an interval of 0 the timer stays silent.
  void SetEnabled(bool value);
  uint32_t Interval() const { return FInterval; }
  // A different interval restarts the measurement; the same one changes nothing. Once the
  // interval was 0 it stays 0.
  void SetInterval(uint32_t value);

  TCounterThread& Thread() { return *FThread; }

 private:
  friend class TCounterThread;

  TNotifyEvent FOnTimer;
  bool FEnabled = false;
  uint32_t FInterval = 1000;
  std::shared_ptr<TCounterThread> FThread;
};

// Measures a span with the monotonic clock, in nanoseconds. A reading of 0 means "not taken".
class TRTIntervalMeter {
 public:
  void Start();
  void Finish();
  int64_t ElapsedTime() const { return t0 == 0 || t1 == 0 ? 0 : t1 - t0; }
  int64_t getInterval();
  int64_t StartTime() const { return t0; }
  int64_t FinishTime() const { return t1; }

 private:
  int64_t t0 = 0;
  int64_t t1 = 0;
};

}  // namespace tasks
