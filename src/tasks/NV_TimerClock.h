// The clock a thread timer measures with. The program's clock is the monotonic steady clock,
// slept on with real deadlines. A manual clock moves only when told to and then wakes every
// thread that sleeps on it, so timer tests step through time exactly.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace tasks {

// A thread that sleeps until the clock reaches a deadline.
class TClockSleeper {
 public:
  // The clock moved by hand: look at it again. Called on the thread that moved it.
  virtual void ClockMoved() = 0;

 protected:
  ~TClockSleeper() = default;
};

class TTimerClock {
 public:
  virtual ~TTimerClock() = default;
  // Milliseconds, never decreasing.
  virtual uint64_t NowMs() const = 0;
  // The real moment by which a sleeper waiting for DeadlineMs must look again; none when the
  // clock only moves when told to (it then calls ClockMoved on its sleepers).
  virtual std::optional<std::chrono::steady_clock::time_point> WakeTime(
      uint64_t deadlineMs) const = 0;
  virtual void AddSleeper(TClockSleeper&) {}
  virtual void RemoveSleeper(TClockSleeper&) {}
};

// The monotonic clock of the program.
TTimerClock& SteadyTimerClock();

class TManualTimerClock : public TTimerClock {
 public:
  explicit TManualTimerClock(uint64_t startMs = 0) : FNow(startMs) {}

  uint64_t NowMs() const override { return FNow.load(); }
  std::optional<std::chrono::steady_clock::time_point> WakeTime(uint64_t) const override {
    return std::nullopt;
  }
  void AddSleeper(TClockSleeper& sleeper) override;
  void RemoveSleeper(TClockSleeper& sleeper) override;

  // Moves the clock forward and wakes every sleeper. Any thread.
  void Advance(uint64_t ms);

 private:
  std::atomic<uint64_t> FNow;
  std::mutex FLock;  // the sleepers; taken before a sleeper's own lock, never after
  std::vector<TClockSleeper*> FSleepers;
};

}  // namespace tasks
