// Waiting helpers for the threaded task tests. Every wait has a generous deadline that only
// guards against a hang; no test measures time with them.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/headless/HeadlessBackend.h"

namespace tasktest {

inline constexpr uint64_t kHangMs = 10000;

// Polls Done without pumping the interface loop, for states a worker reaches alone.
inline bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHangMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

// Pumps the interface loop (serving the workers' hand-overs) until Done.
inline bool PumpUntil(platform::headless::THeadlessBackend& backend,
                      const std::function<bool()>& done) {
  return backend.Loop.RunUntil(done, kHangMs);
}

// Ends the test program when a scope that must return promptly (a destruction) hangs instead.
class THangGuard {
 public:
  THangGuard()
      : FWatch([this] {
          std::unique_lock<std::mutex> lock(FLock);
          if (!FDone.wait_for(lock, std::chrono::milliseconds(kHangMs),
                              [this] { return FFinished; })) {
            std::fprintf(stderr, "hang guard: the guarded scope did not return\n");
            std::abort();
          }
        }) {}
  ~THangGuard() {
    {
      std::lock_guard<std::mutex> guard(FLock);
      FFinished = true;
    }
    FDone.notify_all();
    FWatch.join();
  }

 private:
  std::mutex FLock;
  std::condition_variable FDone;
  bool FFinished = false;
  std::thread FWatch;
};

// A worker's pause between two tests of its flags.
inline void Nap() { std::this_thread::sleep_for(std::chrono::microseconds(100)); }

}  // namespace tasktest
