// The interface loop on GTK's main loop. Posted work and the workers' blocking requests run from
// idle callbacks of the default main context; timers are GLib timeouts.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/UiLoop.h"
#include "platform/UiRequests.h"

namespace platform::gtk {

class TGtkLoop : public UiLoop {
 public:
  TGtkLoop();
  ~TGtkLoop() override;

  void Post(std::function<void()> fn) override;
  void RunOnUiThread(std::function<void()> fn, const std::atomic<bool>* abandon) override;
  void WaitServing(const std::function<bool()>& done) override { FRequests.WaitServing(done); }
  void WakeServing() override { FRequests.Wake(); }
  bool IsUiThread() const override { return std::this_thread::get_id() == FUiThread; }
  uint64_t TickCount() const override;
  TTimerId StartTimer(int intervalMs, bool repeat, std::function<void()> fn) override;
  void StopTimer(TTimerId id) override;
  void Run() override;
  void Quit() override;
  // Runs one pass of the main loop (waiting for an event when MayBlock); for tests that pump
  // while another program talks to the display.
  void Iterate(bool mayBlock);

 private:
  struct TTimer {
    bool Repeat;
    unsigned Source;
    std::shared_ptr<std::function<void()>> Fn;
  };

  static int RunPostedCallback(void* self);
  static int DrainRequestsCallback(void* self);
  static int TimerCallback(void* id);
  void RunPosted();
  void ScheduleDrain();

  const std::thread::id FUiThread;
  TUiRequests FRequests;
  std::mutex FPostLock;
  std::deque<std::function<void()>> FPosted;
  bool FPostScheduled = false;       // under FPostLock
  std::atomic<bool> FDrainScheduled{false};
  std::map<TTimerId, TTimer> FTimers;  // interface thread only
  TTimerId FNextTimer = 1;
};

}  // namespace platform::gtk
