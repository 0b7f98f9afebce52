// The interface thread's loop: posting work to it, blocking hand-overs from workers, timers and
// the tick count. Each backend implements UiLoop; the program installs one with SetUiLoop and
// everything else calls the free functions below.
//
// Threads: Post, RunOnUiThread, TickCount and IsUiThread may be called from any thread; timers
// are created, changed and destroyed on the interface thread, and fire there.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace platform {

using TTimerId = uint64_t;

class UiLoop {
 public:
  virtual ~UiLoop() = default;

  // Runs Fn later on the interface thread, in posting order. Never blocks.
  virtual void Post(std::function<void()> fn) = 0;
  // Runs Fn on the interface thread and returns when it has run. On the interface thread it
  // runs inline. When Abandon is given and becomes true before Fn has started (the caller's task
  // is being stopped), the call returns without running Fn. Never deadlocks with an interface
  // thread that waits for the caller in WaitServing.
  virtual void RunOnUiThread(std::function<void()> fn, const std::atomic<bool>* abandon) = 0;
  // Blocks the interface thread until Done() is true, serving the workers' RunOnUiThread
  // requests meanwhile: the way the interface thread waits for a worker. Whoever makes Done()
  // true calls WakeServing() afterwards.
  virtual void WaitServing(const std::function<bool()>& done) = 0;
  virtual void WakeServing() = 0;
  virtual bool IsUiThread() const = 0;
  // Milliseconds from a monotonic clock.
  virtual uint64_t TickCount() const = 0;

  // Timers: Fn runs on the interface thread every IntervalMs (at least 1), once when not
  // Repeat. Stopping an unknown or finished timer does nothing.
  virtual TTimerId StartTimer(int intervalMs, bool repeat, std::function<void()> fn) = 0;
  virtual void StopTimer(TTimerId id) = 0;

  // The main loop: Run returns after Quit.
  virtual void Run() = 0;
  virtual void Quit() = 0;
};

void SetUiLoop(UiLoop* loop);  // installs the backend's loop; nullptr uninstalls
UiLoop& TheUiLoop();           // the installed loop; there must be one
bool HasUiLoop();              // a loop is installed

inline void Post(std::function<void()> fn) { TheUiLoop().Post(std::move(fn)); }
inline void RunOnUiThread(std::function<void()> fn, const std::atomic<bool>* abandon = nullptr) {
  TheUiLoop().RunOnUiThread(std::move(fn), abandon);
}
inline uint64_t TickCount() { return TheUiLoop().TickCount(); }
inline bool IsUiThread() { return TheUiLoop().IsUiThread(); }

// A timer owned by its user: stops itself when destroyed. Interface thread only.
class Timer {
 public:
  Timer() = default;
  Timer(int intervalMs, bool repeat, std::function<void()> fn);
  ~Timer() { Stop(); }
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void SetHandler(std::function<void()> fn) { FHandler = std::move(fn); }
  // A new interval, or enabling, restarts the count from now; the same interval changes nothing.
  void SetInterval(int intervalMs);
  void SetRepeat(bool repeat) { FRepeat = repeat; }
  void SetEnabled(bool enabled);
  bool Enabled() const { return FId != 0; }
  int Interval() const { return FInterval; }
  void Start() { SetEnabled(true); }
  void Stop() { SetEnabled(false); }

 private:
  void Fire();

  std::function<void()> FHandler;
  int FInterval = 1000;
  bool FRepeat = true;
  TTimerId FId = 0;
};

}  // namespace platform
