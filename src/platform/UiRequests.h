// Blocking requests from workers to the interface thread, shared by the backends.
//
// A worker's RunOnUiThread puts a request here and sleeps until the interface thread has run it.
// The interface thread runs pending requests from its loop (Drain), and also while it waits for
// a worker (WaitServing), so a worker that needs the interface thread while the interface thread
// waits for it cannot deadlock. A request whose Abandon flag turns true before it starts is
// dropped and its caller returns: that is how a stopping task's requests return without running.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace platform {

class TUiRequests {
 public:
  // Called on a worker. Wake() is called once the request is queued so that the backend can
  // make its interface thread call Drain soon.
  void Submit(std::function<void()> fn, const std::atomic<bool>* abandon,
              const std::function<void()>& wake);
  // Interface thread: runs every pending request; returns how many ran.
  int Drain();
  // Interface thread: serves requests until Done() is true.
  void WaitServing(const std::function<bool()>& done);
  // Any thread: wakes WaitServing and the workers waiting in Submit, so both re-test their
  // conditions (Done() or the Abandon flags).
  void Wake();
  bool HasPending();

 private:
  struct TRequest {
    std::function<void()> Fn;
    const std::atomic<bool>* Abandon = nullptr;
    bool Started = false;
    bool Finished = false;
  };

  std::mutex FLock;
  std::condition_variable FChanged;  // a request was added or finished, or Wake was called
  std::deque<std::shared_ptr<TRequest>> FPending;
  uint64_t FWakeCount = 0;
};

}  // namespace platform
