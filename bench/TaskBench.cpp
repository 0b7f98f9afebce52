// How fast a task reacts: the latency from Start to the execute callback on a sleeping worker,
// and the cost of a restart (from Start on a running pass to the new pass's work). Both are
// compared with the floor of any sleeping worker: one condition-variable hand-off between two
// threads, measured the same way in the same run.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "BenchRatio.h"
#include "platform/headless/HeadlessBackend.h"
#include "tasks/NV_TaskManager.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

void SpinUntil(const std::function<bool()>& done) {
  while (!done()) std::this_thread::yield();
}

struct TSession {
  platform::headless::THeadlessBackend Backend{platform::headless::TClock::ckReal};
};

TSession& Session() {
  static TSession session;
  return session;
}

void BM_TaskStartLatency(benchmark::State& state) {
  Session();
  std::atomic<int64_t> executedAt{0};
  std::atomic<int> finished{0};
  tasks::TTaskManager manager;
  tasks::TSmartTask& task = manager.CreateTask("Bench", false);
  task.OnTaskExecute([&](tasks::TSmartTask&) { executedAt = NowNs(); })
      .OnTaskFinish([&](tasks::TSmartTask&) { ++finished; });
  for (auto _ : state) {
    const int before = finished;
    executedAt = 0;
    const int64_t started = NowNs();
    task.Start();
    SpinUntil([&] { return finished > before; });
    state.SetIterationTime(double(executedAt - started) * 1e-9);
    SpinUntil([&] { return task.Thread()->Suspended(); });  // asleep again for the next round
  }
}
BENCHMARK(BM_TaskStartLatency)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_TaskRestart(benchmark::State& state) {
  Session();
  std::atomic<int> entered{0};
  std::atomic<int64_t> enteredAt{0};
  tasks::TTaskManager manager;
  tasks::TSmartTask& task = manager.CreateTask("Bench", false);
  task.OnTaskExecute([&](tasks::TSmartTask& t) {
    enteredAt = NowNs();
    ++entered;
    while (t.Active()) std::this_thread::yield();
  });
  task.Start();
  SpinUntil([&] { return entered == 1; });
  for (auto _ : state) {
    const int before = entered;
    const int64_t started = NowNs();
    task.Start();  // the running pass gives up and the next one begins at once
    SpinUntil([&] { return entered > before; });
    state.SetIterationTime(double(enteredAt - started) * 1e-9);
  }
  task.Stop(true);
}
BENCHMARK(BM_TaskRestart)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The reference: waking a thread that sleeps on a condition variable.
void BM_CondVarWake(benchmark::State& state) {
  std::mutex lock;
  std::condition_variable signal;
  bool go = false, quit = false;
  std::atomic<bool> sleeping{false};
  std::atomic<int> woken{0};
  std::atomic<int64_t> wokenAt{0};
  std::thread sleeper([&] {
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
      sleeping = true;
      signal.wait(guard, [&] { return go || quit; });
      sleeping = false;
      if (quit) return;
      go = false;
      wokenAt = NowNs();
      ++woken;
    }
  });
  for (auto _ : state) {
    SpinUntil([&] { return sleeping.load(); });
    const int before = woken;
    const int64_t started = NowNs();
    {
      std::lock_guard<std::mutex> guard(lock);
      go = true;
    }
    signal.notify_all();
    SpinUntil([&] { return woken > before; });
    state.SetIterationTime(double(wokenAt - started) * 1e-9);
  }
  {
    std::lock_guard<std::mutex> guard(lock);
    quit = true;
  }
  signal.notify_all();
  sleeper.join();
}
BENCHMARK(BM_CondVarWake)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

NORVO_BENCH_RATIO(BM_TaskStartLatency, BM_CondVarWake, 3.0);
NORVO_BENCH_RATIO(BM_TaskRestart, BM_CondVarWake, 0);
NORVO_BENCH_MAIN()
