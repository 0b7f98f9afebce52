#include "tasks/NV_TimerClock.h"

#include <algorithm>

namespace tasks {

namespace {

class TSteadyTimerClock : public TTimerClock {
 public:
  uint64_t NowMs() const override {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  std::optional<std::chrono::steady_clock::time_point> WakeTime(
      uint64_t deadlineMs) const override {
    return std::chrono::steady_clock::time_point(std::chrono::milliseconds(deadlineMs));
  }
};

}  // namespace

TTimerClock& SteadyTimerClock() {
  static TSteadyTimerClock clock;
  return clock;
}

void TManualTimerClock::AddSleeper(TClockSleeper& sleeper) {
  std::lock_guard<std::mutex> guard(FLock);
  FSleepers.push_back(&sleeper);
}

void TManualTimerClock::RemoveSleeper(TClockSleeper& sleeper) {
  std::lock_guard<std::mutex> guard(FLock);
  std::erase(FSleepers, &sleeper);
}

void TManualTimerClock::Advance(uint64_t ms) {
  std::lock_guard<std::mutex> guard(FLock);
  FNow.fetch_add(ms);
  for (TClockSleeper* sleeper : FSleepers) sleeper->ClockMoved();
}

}  // namespace tasks
