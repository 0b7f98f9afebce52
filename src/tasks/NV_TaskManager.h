// The tasks of one owner, by name. Every control, folder and icon loader has its own manager;
// a name is unique only within it.
//
// Threads: the task list is locked, because a worker's callback may create or start tasks of
// another owner while the interface thread walks that owner's list. Tasks are never removed
// before the manager dies, so a task found here stays valid for the manager's life. Operations
// that act on several tasks walk a snapshot of the list, outside the lock, so a task's callback
// may call back into its manager.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "tasks/NV_SmartTask.h"

namespace tasks {

class TTaskManager {
 public:
  TTaskManager() = default;
  // Stops every task for good, then frees them; returns once every pass in progress returned.
  ~TTaskManager();
  TTaskManager(const TTaskManager&) = delete;
  TTaskManager& operator=(const TTaskManager&) = delete;

  // The first task named exactly ID (case-sensitive).
  bool GetTask(std::string_view id, TSmartTask*& smartTask) const;
  // The task at IDX in creation order.
  bool GetTask(int idx, TSmartTask*& smartTask) const;
  int Count() const;

  // The task named TaskID, made when there is none. With StopIfActive it is then stopped
  // softly, new or not. An existing task keeps its callbacks and parameters.
  TSmartTask& CreateTask(std::string_view taskID, bool stopIfActive);

  // By name, letter case ignored (A-Z), every matching task in list order; unknown names are
  // ignored.
  void StopTask(std::string_view taskID, bool fullStop);
  void ResumeTask(std::string_view taskID);
  void StopTask(const std::vector<std::string>& taskIDs, bool fullStop);
  void PauseTask(const std::vector<std::string>& taskIDs);
  void ResumeTask(const std::vector<std::string>& taskIDs);

  void StopTasks(bool fullStop);
  void PauseTasks();   // the active ones
  void ResumeTasks();  // the paused ones
  bool TaskActive(std::string_view taskID) const;

 private:
  std::vector<TSmartTask*> Snapshot() const;
  template <typename Fn>
  void ForEachNamed(std::string_view taskID, Fn fn) const;

  mutable std::mutex FLock;
  std::vector<std::unique_ptr<TSmartTask>> tmTasks;
};

}  // namespace tasks
