#include "tasks/NV_ThreadTimer.h"

#include <chrono>
#include <climits>

#include "platform/UiLoop.h"

namespace tasks {

// ---- TCounterThread ----

namespace {
// Joins a thread when the last reference goes, wherever that is.
struct TThreadJoiner {
  explicit TThreadJoiner(std::thread thread) : Thread(std::move(thread)) {}
  ~TThreadJoiner() {
    if (Thread.joinable()) Thread.join();
  }
  std::thread Thread;
};
}  // namespace

TCounterThread::TCounterThread(TThreadTimer& owner, TTimerClock& clock)
    : FClock(clock), FOwner(&owner) {}

TCounterThread::~TCounterThread() = default;

int TCounterThread::SetInterval(int value) {
  std::lock_guard<std::mutex> guard(FLock);
  if (value == 0 || (Finterval >= 0 && value == Finterval)) return 0;
  Finterval = value;
  return value;
}

int TCounterThread::Interval() const {
  std::lock_guard<std::mutex> guard(FLock);
  return Finterval;
}

TCounterThread::TState TCounterThread::State() const {
  std::lock_guard<std::mutex> guard(FLock);
  return {FSleeping, PacingCounterMs, rPacingCounterMs};
}

void TCounterThread::ClockMoved() {
  {
    std::lock_guard<std::mutex> guard(FLock);
  }  // a sleeper between its test and its wait is not missed
  FSignal.notify_all();
}

void TCounterThread::Resume() {
  {
    std::lock_guard<std::mutex> guard(FLock);
    PacingCounterMs = rPacingCounterMs = FClock.NowMs();
    FRunning = true;
    ++FGeneration;
  }
  FSignal.notify_all();
  if (!FThread.joinable()) {
    FClock.AddSleeper(*this);
    FThread = std::thread([self = shared_from_this()] { self->Execute(); });
  }
}

void TCounterThread::Suspend() {
  {
    std::lock_guard<std::mutex> guard(FLock);
    FRunning = false;
  }
  FSignal.notify_all();
}

void TCounterThread::Execute() {
  std::unique_lock<std::mutex> lock(FLock);
  while (!FStop.load()) {
    if (!FRunning) {
      FSleeping = true;
      FSignal.wait(lock, [this] { return FStop.load() || FRunning; });
      FSleeping = false;
      continue;
    }
    const uint64_t now = FClock.NowMs();
    PacingCounterMs = now;
    if (now - rPacingCounterMs >= uint64_t(Finterval)) {
      rPacingCounterMs = now;
      lock.unlock();
      platform::RunOnUiThread([self = shared_from_this()] { self->Tick(); }, &FStop);
      lock.lock();
      PacingCounterMs = FClock.NowMs();
      continue;
    }
    const uint64_t deadline = rPacingCounterMs + uint64_t(Finterval);
    const uint64_t generation = FGeneration;
    auto woken = [&] {
      PacingCounterMs = FClock.NowMs();  // every look at the clock is recorded
      return FStop.load() || !FRunning || FGeneration != generation || PacingCounterMs >= deadline;
    };
    FSleeping = true;
    if (auto wakeTime = FClock.WakeTime(deadline))
      FSignal.wait_until(lock, *wakeTime, woken);
    else
      FSignal.wait(lock, woken);
    FSleeping = false;
  }
  FEnded = true;
  const bool watched = !FUnwatched;
  lock.unlock();
  FSignal.notify_all();
  if (watched) platform::TheUiLoop().WakeServing();
}

void TCounterThread::Tick() {
  TThreadTimer* owner = FOwner.load();
  if (!owner || !owner->FEnabled || !owner->FOnTimer) return;
  TThreadTimer::TNotifyEvent handler = owner->FOnTimer;  // the handler may replace itself
  FInTick.store(true);
  try {
    handler(*owner);
  } catch (...) {
    // A failing handler costs its own tick only; the timer keeps running.
  }
  FInTick.store(false);  // this object outlives the tick even when the handler freed the timer
}

void TCounterThread::End() {
  FOwner.store(nullptr);
  if (!FThread.joinable()) return;
  FClock.RemoveSleeper(*this);
  const bool insideOwnTick = FInTick.load() && platform::IsUiThread();
  {
    std::lock_guard<std::mutex> guard(FLock);
    FStop.store(true);
    FRunning = false;
    FUnwatched = insideOwnTick;
  }
  FSignal.notify_all();
  if (insideOwnTick) {
    // The thread waits for this very tick, so it cannot be waited for here. It ends as soon as
    // the tick returns; the interface thread joins it afterwards (or when its loop goes).
    auto joiner = std::make_shared<TThreadJoiner>(std::move(FThread));
    platform::Post([joiner] {});
    return;
  }
  platform::TheUiLoop().WakeServing();  // a tick waiting for the interface thread gives up
  auto ended = [this] {
    std::lock_guard<std::mutex> guard(FLock);
    return FEnded;
  };
  if (platform::IsUiThread()) {
    platform::TheUiLoop().WaitServing(ended);
  } else {
    std::unique_lock<std::mutex> lock(FLock);
    FSignal.wait(lock, [this] { return FEnded; });
  }
  FThread.join();
}

// ---- TThreadTimer ----

TThreadTimer::TThreadTimer(TTimerClock& clock)
    : FThread(std::make_shared<TCounterThread>(*this, clock)) {}

TThreadTimer::~TThreadTimer() {
  FEnabled = false;
  FThread->End();
}

void TThreadTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  if (!value)
    FThread->Suspend();
  else if (FInterval != 0)
    FThread->Resume();
}

void TThreadTimer::SetInterval(uint32_t value) {
  if (value == FInterval) return;
  const bool wasEnabled = FEnabled;
  SetEnabled(false);
  if (FInterval != 0) FInterval = value;
  FThread->SetInterval(value > uint32_t(INT_MAX) ? INT_MAX : int(value));
  SetEnabled(wasEnabled);
}

// ---- TRTIntervalMeter ----

namespace {
int64_t MonotonicNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

void TRTIntervalMeter::Start() {
  t1 = 0;
  t0 = MonotonicNs();
}

void TRTIntervalMeter::Finish() { t1 = MonotonicNs(); }

int64_t TRTIntervalMeter::getInterval() {
  Finish();
  return ElapsedTime();
}

}  // namespace tasks
