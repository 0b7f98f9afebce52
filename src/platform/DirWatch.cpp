#include "platform/DirWatch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

#include "platform/ServiceSlot.h"
#include "platform/ThreadCheck.h"

namespace platform {

namespace {
TServiceSlot<TDirWatcher> gWatcher;

constexpr uint32_t kChangeEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_MODIFY | IN_CLOSE_WRITE;
constexpr uint32_t kGoneEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;
// Entries that were already unlinked but are still open report nothing more.
constexpr uint32_t kWatchMask =
    kChangeEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;
}  // namespace

void SetDirWatcher(TDirWatcher* watcher) { gWatcher.Set(watcher); }
TDirWatcher& TheDirWatcher() { return gWatcher.Get(); }

struct TDirWatcher::TWatch {
  TWatchId Id = 0;
  int Wd = -1;
  std::function<void()> OnChanged;  // interface thread only, like Alive
  std::function<void()> OnGone;
  bool Alive = true;
  std::atomic<bool> ChangePending{false};  // a "changed" call is posted and has not started
};

TDirWatcher::TDirWatcher(UiLoop& loop) : FLoop(loop) {
  FInotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  FStop = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  // Without either descriptor no watch can be added; Add then reports 0 for every folder.
  if (FInotify >= 0 && FStop >= 0) FReader = std::thread([this] { ReadEvents(); });
}

TDirWatcher::~TDirWatcher() {
  if (FReader.joinable()) {
    const uint64_t one = 1;
    while (write(FStop, &one, sizeof one) < 0 && errno == EINTR) {
    }
    FReader.join();
  }
  for (auto& [id, watch] : FById) watch->Alive = false;  // posted calls still queued do nothing
  if (FInotify >= 0) close(FInotify);
  if (FStop >= 0) close(FStop);
}

TDirWatcher::TWatchId TDirWatcher::Add(const std::string& dir, std::function<void()> onChanged,
                                       std::function<void()> onGone) {
  NV_ASSERT_UI_THREAD();
  if (!FReader.joinable() || dir.empty()) return 0;
  auto watch = std::make_shared<TWatch>();
  watch->OnChanged = std::move(onChanged);
  watch->OnGone = std::move(onGone);
  {
    // Under the lock, so the reader cannot see an event for the descriptor before its watch.
    std::lock_guard<std::mutex> guard(FLock);
    // The same folder gives the same descriptor again; the watches then share it.
    const int wd = inotify_add_watch(FInotify, dir.c_str(), kWatchMask);
    if (wd < 0) return 0;
    watch->Wd = wd;
    FByWd[wd].push_back(watch);
  }
  watch->Id = FNextId++;
  FById[watch->Id] = watch;
  return watch->Id;
}

void TDirWatcher::Remove(TWatchId id) {
  NV_ASSERT_UI_THREAD();
  auto it = FById.find(id);
  if (it == FById.end()) return;
  std::shared_ptr<TWatch> watch = it->second;
  FById.erase(it);
  watch->Alive = false;
  watch->OnChanged = nullptr;
  watch->OnGone = nullptr;
  std::lock_guard<std::mutex> guard(FLock);
  auto shared = FByWd.find(watch->Wd);
  if (shared == FByWd.end()) return;  // the folder went meanwhile; its "gone" does nothing now
  std::erase(shared->second, watch);
  if (shared->second.empty()) {
    FByWd.erase(shared);
    inotify_rm_watch(FInotify, watch->Wd);  // its IN_IGNORED then finds no watch
  }
}

size_t TDirWatcher::Count() const {
  std::lock_guard<std::mutex> guard(FLock);
  size_t count = 0;
  for (const auto& [wd, watches] : FByWd) count += watches.size();
  return count;
}

void TDirWatcher::ReadEvents() {
  // Big enough for hundreds of events per read; aligned as the kernel's records need.
  alignas(inotify_event) char buffer[64 * 1024];
  pollfd fds[2] = {{FInotify, POLLIN, 0}, {FStop, POLLIN, 0}};
  for (;;) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;  // the descriptors are broken: no further signals, but nothing spins either
    }
    if (fds[1].revents) return;
    for (;;) {
      const ssize_t n = read(FInotify, buffer, sizeof buffer);
      if (n <= 0) break;  // EAGAIN: all read
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        Dispatch(event->wd, event->mask);
        at += ssize_t(sizeof(inotify_event) + event->len);
      }
    }
  }
}

void TDirWatcher::Dispatch(int wd, uint32_t mask) {
  std::lock_guard<std::mutex> guard(FLock);
  if (mask & IN_Q_OVERFLOW) {
    // Events were lost: every folder may have changed.
    for (const auto& [d, watches] : FByWd)
      for (const auto& watch : watches) SignalChanged(watch);
    return;
  }
  auto it = FByWd.find(wd);
  if (it == FByWd.end()) return;
  if (mask & kGoneEvents) {
    for (const auto& watch : it->second) SignalGone(watch);
    FByWd.erase(it);
    // A moved folder would otherwise go on reporting under its new name.
    if (!(mask & IN_IGNORED)) inotify_rm_watch(FInotify, wd);
    return;
  }
  if (mask & kChangeEvents)
    for (const auto& watch : it->second) SignalChanged(watch);
}

void TDirWatcher::SignalChanged(const std::shared_ptr<TWatch>& watch) {
  if (watch->ChangePending.exchange(true, std::memory_order_acq_rel)) return;
  FLoop.Post([watch] {
    // Cleared first: a change while the handler runs is signalled again.
    watch->ChangePending.store(false, std::memory_order_release);
    if (watch->Alive && watch->OnChanged) watch->OnChanged();
  });
}

void TDirWatcher::SignalGone(const std::shared_ptr<TWatch>& watch) {
  FLoop.Post([this, watch] {
    if (!watch->Alive) return;  // removed (or the watcher destroyed) meanwhile
    Forget(watch->Id);
    std::function<void()> gone = std::move(watch->OnGone);
    watch->OnChanged = nullptr;
    if (gone) gone();
  });
}

void TDirWatcher::Forget(TWatchId id) {
  auto it = FById.find(id);
  if (it == FById.end()) return;
  it->second->Alive = false;
  FById.erase(it);
}

bool TDirWatch::Start(const std::string& dir, std::function<void()> onChanged,
                      std::function<void()> onGone) {
  Stop();
  FId = TheDirWatcher().Add(dir, std::move(onChanged), [this, gone = std::move(onGone)] {
    FId = 0;
    if (gone) gone();
  });
  return FId != 0;
}

void TDirWatch::Stop() {
  if (FId == 0) return;
  TheDirWatcher().Remove(FId);
  FId = 0;
}

}  // namespace platform
