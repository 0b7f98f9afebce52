#include "tasks/NV_TaskManager.h"

#include "base/Ascii.h"

namespace tasks {

TTaskManager::~TTaskManager() {
  // Every worker is told to end first, so they wind down together; then each is waited for.
  const std::vector<TSmartTask*> all = Snapshot();
  for (TSmartTask* task : all) task->BeginFullStop();
  for (TSmartTask* task : all) task->Stop(true);
  std::vector<std::unique_ptr<TSmartTask>> owned;
  {
    std::lock_guard<std::mutex> guard(FLock);
    owned.swap(tmTasks);
  }
  owned.clear();
}

std::vector<TSmartTask*> TTaskManager::Snapshot() const {
  std::lock_guard<std::mutex> guard(FLock);
  std::vector<TSmartTask*> all;
  all.reserve(tmTasks.size());
  for (const auto& task : tmTasks) all.push_back(task.get());
  return all;
}

template <typename Fn>
void TTaskManager::ForEachNamed(std::string_view taskID, Fn fn) const {
  for (TSmartTask* task : Snapshot())
    if (base::SameTextAscii(task->ID(), taskID)) fn(*task);
}

bool TTaskManager::GetTask(std::string_view id, TSmartTask*& smartTask) const {
  std::lock_guard<std::mutex> guard(FLock);
  for (const auto& task : tmTasks)
    if (task->ID() == id) {
      smartTask = task.get();
      return true;
    }
  smartTask = nullptr;
  return false;
}

bool TTaskManager::GetTask(int idx, TSmartTask*& smartTask) const {
  std::lock_guard<std::mutex> guard(FLock);
  smartTask = idx >= 0 && size_t(idx) < tmTasks.size() ? tmTasks[size_t(idx)].get() : nullptr;
  return smartTask != nullptr;
}

int TTaskManager::Count() const {
  std::lock_guard<std::mutex> guard(FLock);
  return int(tmTasks.size());
}

TSmartTask& TTaskManager::CreateTask(std::string_view taskID, bool stopIfActive) {
  TSmartTask* found = nullptr;
  {
    // Looking up and appending in one section: two threads asking for one name get one task.
    std::lock_guard<std::mutex> guard(FLock);
    for (const auto& task : tmTasks)
      if (task->ID() == taskID) {
        found = task.get();
        break;
      }
    if (!found) {
      tmTasks.push_back(std::make_unique<TSmartTask>(std::string(taskID), this));
      found = tmTasks.back().get();
    }
  }
  if (stopIfActive) found->Stop(false);
  return *found;
}

void TTaskManager::StopTask(std::string_view taskID, bool fullStop) {
  ForEachNamed(taskID, [&](TSmartTask& task) { task.Stop(fullStop); });
}

void TTaskManager::ResumeTask(std::string_view taskID) {
  ForEachNamed(taskID, [](TSmartTask& task) { task.Resume(); });
}

void TTaskManager::StopTask(const std::vector<std::string>& taskIDs, bool fullStop) {
  for (const std::string& id : taskIDs) StopTask(id, fullStop);
}

void TTaskManager::PauseTask(const std::vector<std::string>& taskIDs) {
  for (const std::string& id : taskIDs) ForEachNamed(id, [](TSmartTask& task) { task.Pause(); });
}

void TTaskManager::ResumeTask(const std::vector<std::string>& taskIDs) {
  for (const std::string& id : taskIDs) ResumeTask(id);
}

void TTaskManager::StopTasks(bool fullStop) {
  const std::vector<TSmartTask*> all = Snapshot();
  if (fullStop)
    for (TSmartTask* task : all) task->BeginFullStop();
  for (TSmartTask* task : all) task->Stop(fullStop);
}

void TTaskManager::PauseTasks() {
  for (TSmartTask* task : Snapshot())
    if (task->FActive.load()) task->Pause();
}

void TTaskManager::ResumeTasks() {
  for (TSmartTask* task : Snapshot())
    if (task->Paused()) task->Resume();
}

bool TTaskManager::TaskActive(std::string_view taskID) const {
  bool active = false;
  ForEachNamed(taskID, [&](TSmartTask& task) { active = active || task.FActive.load(); });
  return active;
}

}  // namespace tasks
