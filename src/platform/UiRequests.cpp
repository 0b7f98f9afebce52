#include "platform/UiRequests.h"

#include <chrono>

namespace platform {

namespace {
bool IsAbandoned(const std::atomic<bool>* flag) {
  return flag && flag->load(std::memory_order_acquire);
}
// Abandon flags are set by code that may not know of this queue; waiters re-test them this
// often even without a Wake.
constexpr auto kAbandonPoll = std::chrono::milliseconds(20);
}  // namespace

void TUiRequests::Submit(std::function<void()> fn, const std::atomic<bool>* abandon,
                         const std::function<void()>& wake) {
  if (IsAbandoned(abandon)) return;
  auto request = std::make_shared<TRequest>();
  request->Fn = std::move(fn);
  request->Abandon = abandon;
  {
    std::lock_guard<std::mutex> guard(FLock);
    FPending.push_back(request);
  }
  FChanged.notify_all();
  if (wake) wake();
  std::unique_lock<std::mutex> lock(FLock);
  for (;;) {
    if (request->Finished) return;
    if (!request->Started && IsAbandoned(abandon)) {
      std::erase(FPending, request);
      return;
    }
    FChanged.wait_for(lock, kAbandonPoll);
  }
}

int TUiRequests::Drain() {
  int ran = 0;
  for (;;) {
    std::shared_ptr<TRequest> request;
    {
      std::lock_guard<std::mutex> guard(FLock);
      while (!FPending.empty() && !request) {
        request = FPending.front();
        FPending.pop_front();
        if (IsAbandoned(request->Abandon)) {  // its caller returns on its own
          request.reset();
          continue;
        }
        request->Started = true;
      }
    }
    if (!request) break;
    try {
      request->Fn();
    } catch (...) {
      // A request's failure belongs to its caller's work, which ends here; the loop goes on.
    }
    {
      std::lock_guard<std::mutex> guard(FLock);
      request->Finished = true;
      request->Fn = nullptr;
    }
    FChanged.notify_all();
    ++ran;
  }
  return ran;
}

void TUiRequests::WaitServing(const std::function<bool()>& done) {
  for (;;) {
    Drain();
    if (done()) return;
    std::unique_lock<std::mutex> lock(FLock);
    const uint64_t seen = FWakeCount;
    FChanged.wait_for(lock, kAbandonPoll, [&] { return !FPending.empty() || FWakeCount != seen; });
  }
}

void TUiRequests::Wake() {
  {
    std::lock_guard<std::mutex> guard(FLock);
    ++FWakeCount;
  }
  FChanged.notify_all();
}

bool TUiRequests::HasPending() {
  std::lock_guard<std::mutex> guard(FLock);
  return !FPending.empty();
}

}  // namespace platform
