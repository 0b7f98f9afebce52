#include "platform/gtk/GtkLoop.h"

#include <gtk/gtk.h>

#include <chrono>

namespace platform::gtk {

namespace {
// Timer callbacks find their loop here; there is one interface loop per process.
TGtkLoop* gLoop = nullptr;
}  // namespace

TGtkLoop::TGtkLoop() : FUiThread(std::this_thread::get_id()) { gLoop = this; }

TGtkLoop::~TGtkLoop() {
  for (auto& [id, timer] : FTimers) g_source_remove(timer.Source);
  FTimers.clear();
  gLoop = nullptr;
}

uint64_t TGtkLoop::TickCount() const {
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TGtkLoop::Post(std::function<void()> fn) {
  std::lock_guard<std::mutex> guard(FPostLock);
  FPosted.push_back(std::move(fn));
  if (!FPostScheduled) {
    FPostScheduled = true;
    g_idle_add_full(G_PRIORITY_DEFAULT, &TGtkLoop::RunPostedCallback, this, nullptr);
  }
}

// Idle callbacks queued before the loop went find it gone and do nothing.
int TGtkLoop::RunPostedCallback(void* self) {
  if (self == gLoop) static_cast<TGtkLoop*>(self)->RunPosted();
  return G_SOURCE_REMOVE;
}

void TGtkLoop::RunPosted() {
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard<std::mutex> guard(FPostLock);
    batch.swap(FPosted);
    FPostScheduled = false;
  }
  for (auto& fn : batch) fn();
}

void TGtkLoop::ScheduleDrain() {
  if (FDrainScheduled.exchange(true)) return;
  // Above the default priority: a worker is blocked until this runs.
  g_idle_add_full(G_PRIORITY_HIGH, &TGtkLoop::DrainRequestsCallback, this, nullptr);
}

int TGtkLoop::DrainRequestsCallback(void* self) {
  if (self != gLoop) return G_SOURCE_REMOVE;
  auto* loop = static_cast<TGtkLoop*>(self);
  loop->FDrainScheduled.store(false);
  loop->FRequests.Drain();
  return G_SOURCE_REMOVE;
}

void TGtkLoop::RunOnUiThread(std::function<void()> fn, const std::atomic<bool>* abandon) {
  if (IsUiThread()) {
    fn();
    return;
  }
  FRequests.Submit(std::move(fn), abandon, [this] { ScheduleDrain(); });
}

TTimerId TGtkLoop::StartTimer(int intervalMs, bool repeat, std::function<void()> fn) {
  const TTimerId id = FNextTimer++;
  const unsigned source = g_timeout_add_full(G_PRIORITY_DEFAULT, guint(intervalMs < 1 ? 1 : intervalMs),
                                             &TGtkLoop::TimerCallback,
                                             reinterpret_cast<void*>(uintptr_t(id)), nullptr);
  FTimers[id] = {repeat, source, std::make_shared<std::function<void()>>(std::move(fn))};
  return id;
}

void TGtkLoop::StopTimer(TTimerId id) {
  auto it = FTimers.find(id);
  if (it == FTimers.end()) return;
  g_source_remove(it->second.Source);
  FTimers.erase(it);
}

int TGtkLoop::TimerCallback(void* idPointer) {
  if (!gLoop) return G_SOURCE_REMOVE;
  const TTimerId id = TTimerId(reinterpret_cast<uintptr_t>(idPointer));
  auto it = gLoop->FTimers.find(id);
  if (it == gLoop->FTimers.end()) return G_SOURCE_REMOVE;
  auto fn = it->second.Fn;  // alive while it runs, even if the handler stops its timer
  const bool repeat = it->second.Repeat;
  if (!repeat) gLoop->FTimers.erase(it);
  (*fn)();
  if (!repeat) return G_SOURCE_REMOVE;
  // A handler that stopped its own timer has already removed this source.
  return gLoop && gLoop->FTimers.count(id) ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

void TGtkLoop::Run() {
  gtk_main();
}

void TGtkLoop::Iterate(bool mayBlock) { g_main_context_iteration(nullptr, mayBlock ? TRUE : FALSE); }

void TGtkLoop::Quit() {
  if (!IsUiThread()) {
    Post([this] { Quit(); });
    return;
  }
  if (gtk_main_level() > 0) gtk_main_quit();
}

}  // namespace platform::gtk
