// Change signals for folders. One watcher serves any number of folders with one inotify
// descriptor and one reader thread that sleeps in poll() until the kernel reports something, so
// a quiet folder costs nothing, no watch needs re-arming and nothing spins: a folder that goes
// away ends its watch with one "gone" signal and is never retried.
//
// Threads: Add, Remove and TDirWatch are used on the interface thread. The reader thread only
// looks up which watches an event concerns and posts their callbacks to the interface loop, where
// they run. While the interface thread is busy, further changes of a folder whose "changed" is
// already waiting join that one call, so a burst of ten thousand events is one call.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/UiLoop.h"

namespace platform {

class TDirWatcher {
 public:
  using TWatchId = uint64_t;

  // Callbacks are posted to Loop, which must outlive the watcher.
  explicit TDirWatcher(UiLoop& loop);
  // Stops the reader thread; no callback of any watch runs afterwards.
  ~TDirWatcher();
  TDirWatcher(const TDirWatcher&) = delete;
  TDirWatcher& operator=(const TDirWatcher&) = delete;

  // Watches the folder Dir (not its subfolders). OnChanged runs after entries were created,
  // deleted, moved in or out, or changed (attributes, contents, closed after writing). OnGone
  // runs once when the folder itself was deleted, moved away or unmounted; the watch has ended
  // then. Returns 0, and nothing is watched, when Dir is no folder, or when the system's limit
  // of watches is reached.
  TWatchId Add(const std::string& dir, std::function<void()> onChanged,
               std::function<void()> onGone);
  // Ends the watch: none of its callbacks runs after this returns. Unknown ids are ignored.
  void Remove(TWatchId id);
  // Watches that have neither been removed nor gone.
  size_t Count() const;

 private:
  struct TWatch;

  void ReadEvents();
  void Dispatch(int wd, uint32_t mask);
  void SignalChanged(const std::shared_ptr<TWatch>& watch);
  void SignalGone(const std::shared_ptr<TWatch>& watch);
  void Forget(TWatchId id);

  UiLoop& FLoop;
  int FInotify = -1;
  int FStop = -1;  // eventfd that ends the reader
  std::thread FReader;
  mutable std::mutex FLock;                                   // guards FByWd
  std::map<int, std::vector<std::shared_ptr<TWatch>>> FByWd;  // several watches may share a folder
  std::map<TWatchId, std::shared_ptr<TWatch>> FById;          // interface thread only
  TWatchId FNextId = 1;                                       // interface thread only
};

void SetDirWatcher(TDirWatcher* watcher);
TDirWatcher& TheDirWatcher();

// One watch owned by its user, ended when it is destroyed or started again. Uses the installed
// watcher. Interface thread only.
class TDirWatch {
 public:
  TDirWatch() = default;
  ~TDirWatch() { Stop(); }
  TDirWatch(const TDirWatch&) = delete;
  TDirWatch& operator=(const TDirWatch&) = delete;

  // False, and nothing is watched, when Dir cannot be watched.
  bool Start(const std::string& dir, std::function<void()> onChanged,
             std::function<void()> onGone = {});
  void Stop();
  // Started, and the folder has not gone.
  bool Active() const { return FId != 0; }

 private:
  TDirWatcher::TWatchId FId = 0;
};

}  // namespace platform
