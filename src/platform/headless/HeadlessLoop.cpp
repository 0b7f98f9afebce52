#include "platform/headless/HeadlessLoop.h"

#include <chrono>

namespace platform::headless {

namespace {
uint64_t SteadyMs() {
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

THeadlessLoop::THeadlessLoop(TClock clock)
    : FClock(clock), FUiThread(std::this_thread::get_id()), FStart(SteadyMs()) {}

uint64_t THeadlessLoop::TickCount() const {
  return FClock == TClock::ckVirtual ? FVirtualNow : SteadyMs() - FStart;
}

void THeadlessLoop::WakeUp() {
  { std::lock_guard<std::mutex> guard(FPostLock); }
  FPostSignal.notify_all();
}

void THeadlessLoop::Post(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> guard(FPostLock);
    FPosted.push_back(std::move(fn));
  }
  FPostSignal.notify_all();
}

void THeadlessLoop::RunOnUiThread(std::function<void()> fn, const std::atomic<bool>* abandon) {
  if (IsUiThread()) {
    fn();
    return;
  }
  FRequests.Submit(std::move(fn), abandon, [this] { WakeUp(); });
}

void THeadlessLoop::WaitServing(const std::function<bool()>& done) { FRequests.WaitServing(done); }

TTimerId THeadlessLoop::StartTimer(int intervalMs, bool repeat, std::function<void()> fn) {
  const TTimerId id = FNextTimer++;
  const int interval = intervalMs < 1 ? 1 : intervalMs;
  FTimers[id] = {TickCount() + uint64_t(interval), interval, repeat,
                 std::make_shared<std::function<void()>>(std::move(fn))};
  return id;
}

void THeadlessLoop::StopTimer(TTimerId id) { FTimers.erase(id); }

int THeadlessLoop::RunPosted() {
  // Only what was posted before this pass starts; work posted by it runs in the next pass.
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard<std::mutex> guard(FPostLock);
    batch.swap(FPosted);
  }
  for (auto& fn : batch) fn();
  return int(batch.size());
}

bool THeadlessLoop::FireNextDueTimer(uint64_t now) {
  auto next = FTimers.end();
  for (auto it = FTimers.begin(); it != FTimers.end(); ++it)
    if (it->second.Due <= now && (next == FTimers.end() || it->second.Due < next->second.Due)) next = it;
  if (next == FTimers.end()) return false;
  auto fn = next->second.Fn;  // kept alive while it runs, even if the timer is stopped inside
  if (next->second.Repeat)
    next->second.Due = now + uint64_t(next->second.Interval);
  else
    FTimers.erase(next);
  (*fn)();
  return true;
}

int THeadlessLoop::RunUntilIdle() {
  int ran = 0;
  for (;;) {
    int step = FRequests.Drain();
    step += RunPosted();
    if (step == 0) step += FireNextDueTimer(TickCount()) ? 1 : 0;
    if (step == 0) return ran;
    ran += step;
  }
}

void THeadlessLoop::Advance(uint64_t ms) {
  if (FClock == TClock::ckReal) {
    RunUntil([] { return false; }, ms);
    return;
  }
  const uint64_t end = FVirtualNow + ms;
  RunUntilIdle();
  for (;;) {
    uint64_t due = end + 1;
    for (const auto& [id, timer] : FTimers) due = std::min(due, timer.Due);
    if (due > end) break;
    FVirtualNow = std::max(FVirtualNow, due);
    RunUntilIdle();
  }
  FVirtualNow = end;
  RunUntilIdle();
}

bool THeadlessLoop::RunUntil(const std::function<bool()>& done, uint64_t ms) {
  const uint64_t deadline = SteadyMs() + ms;
  for (;;) {
    RunUntilIdle();
    if (done()) return true;
    const uint64_t now = SteadyMs();
    if (now >= deadline) return false;
    std::unique_lock<std::mutex> lock(FPostLock);
    FPostSignal.wait_for(lock, std::chrono::milliseconds(std::min<uint64_t>(deadline - now, 5)),
                         [this] { return !FPosted.empty() || FRequests.HasPending(); });
  }
}

void THeadlessLoop::Run() {
  FQuit = false;
  while (!FQuit) RunUntil([this] { return FQuit; }, 50);
}

void THeadlessLoop::Quit() {
  if (IsUiThread())
    FQuit = true;
  else
    Post([this] { FQuit = true; });
}

}  // namespace platform::headless
