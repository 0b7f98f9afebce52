// Named background tasks: one reusable worker thread per task that runs one pass of the owner's
// work per Start and sleeps in between.
//
// States of a task (the worker exists from the first Start on):
//   created  - no worker, Active false.
//   asleep   - the worker waits on its condition variable for a Start (or for the end).
//   running  - a pass is open: Active true until a stop or a restart clears it.
//   closing  - the work has returned; the pass delivers its finish (or nothing when it was
//              superseded, stopped for good or failed), then the worker sleeps again.
//   ended    - after a full stop: the worker has left its loop and is never started again.
// A Start is recorded as pending under the pass lock, so it is never lost: a Start while a pass
// is open supersedes that pass (ReStart), which then delivers no finish; a Start at any other
// moment simply begins the next pass as soon as the worker looks. Pause holds the worker at the
// work's next test of its flags (Active, UserStop, ReStart) and at the pass's own tests.
//
// Threads:
//   - The interface thread (or any other thread) creates, starts, stops, pauses and destroys
//     tasks and sets callbacks and parameters. Callbacks, parameters and the name are guarded by
//     the task's field lock; the worker copies a callback before it calls it, so a callback can
//     be replaced while a pass runs.
//   - The worker runs every pass callback (execute, before-finish, finish, stopped). Pause and
//     resume callbacks run on the thread that called Pause or Resume.
//   - Active, ReStart, UserStop, Paused and Locked are atomics: a pass sees a stop at its next
//     test. The pass bookkeeping (pending start, open pass, pause count) sits under the pass
//     lock.
//   - A full stop and destruction wait for the worker's loop to end. On the interface thread
//     that wait keeps serving the workers' blocking requests, and the stopping task's own
//     requests (Synchronize) return without running, so the wait cannot deadlock.
//   - An exception thrown by a callback never leaves the worker: the pass ends without further
//     callbacks, as a stopped pass would, and the task can be started again.
//   - A task may stop itself for good from its own pass or hand-over (that stop does not wait),
//     but it is never destroyed there: nothing could wait for the pass in progress.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tasks {

class TSmartTask;
class TTaskGroup;
class TTaskManager;

// A task callback: the owner's bound method, given the task it runs for.
using TOnTaskExecute = std::function<void(TSmartTask& smartTask)>;

// Worker priorities; on Linux they become the worker's nice value where the user may set it.
enum class TThreadPriority {
  tpIdle,
  tpLowest,
  tpLower,
  tpNormal,
  tpHigher,
  tpHighest,
  tpTimeCritical
};
using enum TThreadPriority;

// One named parameter with three independent value slots. The object is not owned.
struct TTaskParam {
  std::string tpID;
  std::string tpString;
  int32_t tpInteger = 0;
  void* tpObject = nullptr;

  void SetString(std::string_view id, std::string_view value);
  void SetInteger(std::string_view id, int32_t value);
  void SetObject(std::string_view id, void* value);
};

// The worker of one task. It stays alive after its thread ended; the task frees it.
class TTaskThread {
 public:
  TTaskThread(TSmartTask& smartTask, TTaskManager* taskManager, std::string id);
  ~TTaskThread();
  TTaskThread(const TTaskThread&) = delete;
  TTaskThread& operator=(const TTaskThread&) = delete;

  const std::string ttID;
  TSmartTask& SmartTask;
  TTaskManager* const TaskManager;

  // Told to end (full stop or destruction); it delivers no further callback.
  bool Terminated() const { return FTerminated.load(); }
  // Asleep between passes or held by a pause, with no start or resume on its way yet.
  bool Suspended() const;
  // The kernel thread id of the worker; 0 until the thread has started.
  uint32_t Handle() const;

 private:
  friend class TSmartTask;

  void Launch();
  // Waits until the worker has left its loop, serving the interface thread's requests meanwhile
  // when called there; returns at once on the worker itself.
  void WaitEnded();
  void MarkEnded();

  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FEnded{false};
  std::mutex FLock;  // the task's Lock/UnLock
  std::atomic<std::thread::id> FLockOwner{};
  std::mutex FEndLock;
  std::condition_variable FEndSignal;
  std::mutex FJoinLock;
  std::thread FThread;
};

class TSmartTask {
 public:
  explicit TSmartTask(std::string id = {}, TTaskManager* taskManager = nullptr);
  virtual ~TSmartTask();
  TSmartTask(const TSmartTask&) = delete;
  TSmartTask& operator=(const TSmartTask&) = delete;

  // The task whose worker is the calling thread, or none.
  static TSmartTask* Current();

  TTaskThread* Thread() const { return FWorker.load(); }
  TTaskManager* TaskManager() const { return FTaskManager; }
  TTaskGroup* TaskGroup() const { return FTaskGroup.load(); }
  std::string ID() const;
  std::string ID(std::string_view value);
  uint32_t ThreadHandle() const { return FHandle.load(); }
  TThreadPriority GetPriority() const { return FPriority.load(); }

  // The flags a pass tests. Called by the task's own worker they are also where a pause holds
  // it; from any other thread they only read.
  bool Active() const;
  bool UserStop() const;
  bool ReStart() const;
  bool Paused() const { return FPaused.load(); }
  bool Locked() const { return FLocked.load(); }

  // Chained set-up: each stores its argument and returns the task.
  virtual TSmartTask& OnTaskExecute(TOnTaskExecute executeEvent);
  virtual TSmartTask& OnTaskStopped(TOnTaskExecute executeEvent);
  virtual TSmartTask& OnTaskBeforeFinish(TOnTaskExecute executeEvent);
  virtual TSmartTask& OnTaskFinish(TOnTaskExecute executeEvent);
  virtual TSmartTask& OnTaskPaused(TOnTaskExecute executeEvent);
  virtual TSmartTask& OnTaskResumed(TOnTaskExecute executeEvent);
  // Stored and applied to an existing worker at once.
  virtual TSmartTask& Priority(TThreadPriority value);

  // Parameters by exact name. With StopTask a running pass is stopped softly first.
  TSmartTask& SetParam(std::string_view id, std::string_view value, bool stopTask = false);
  TSmartTask& SetParam(std::string_view id, int32_t value, bool stopTask = false);
  TSmartTask& SetParam(std::string_view id, void* value, bool stopTask = false);
  // The value is cleared, then taken from the first parameter of that name.
  void GetParam(std::string_view id, std::string& value) const;
  void GetParam(std::string_view id, int32_t& value) const;
  void GetParam(std::string_view id, void*& value) const;
  // A copy of the first parameter of that name, or none.
  std::optional<TTaskParam> GetParam(std::string_view id) const;

  // Begins a pass; a pass in progress is superseded and restarts at once. Never lost.
  virtual void Start();
  // Soft (false): the running pass gives up and still delivers its finish. Full (true): the
  // task ends for good, silently; returns once the worker has left its loop.
  virtual void Stop(bool fullStop);
  // Holds the worker at its next flag test; pauses nest. The callbacks run on this thread.
  virtual void Pause();
  virtual void Resume();
  // The worker's lock, a real mutex. Locking again on the thread that holds it does nothing;
  // only the holder unlocks. Both do nothing before the first Start.
  virtual void Lock();
  virtual void UnLock();

  // For the worker: runs Fn on the interface thread and waits for it, unless the task is being
  // stopped for good, in which case it returns without running Fn.
  void Synchronize(const std::function<void()>& fn);
  // The flag that tells a blocking hand-over of this task's worker to give up (see
  // platform::RunOnUiThread); none before the first Start.
  const std::atomic<bool>* StopFlag() const;

 private:
  friend class TTaskGroup;
  friend class TTaskManager;
  friend class TTaskThread;

  enum TSlot { slExecute, slStopped, slBeforeFinish, slFinish, slPaused, slResumed, slCount };
  enum class TDelivery { dlSkipped, dlDone, dlFailed };

  TSmartTask& SetCallback(TSlot slot, TOnTaskExecute fn);
  TOnTaskExecute Callback(TSlot slot) const;
  // Runs a callback when one is set, swallowing what it throws.
  TDelivery Deliver(TSlot slot);
  TTaskParam& ParamSlot(std::string_view id);  // field lock held
  void StopIfRunning(bool stopTask);

  // Worker side.
  void WorkerMain(TTaskThread& worker);
  bool AwaitPass(TTaskThread& worker);
  void RunPass(TTaskThread& worker);
  bool PassRunning(const TTaskThread& worker) const;
  void HoldWhilePaused() const;
  bool WorkerSuspended() const;
  void ApplyPriority();
  void NotifyGroup(std::string_view eventID);

  // Tells the worker to end without waiting for it.
  void BeginFullStop();

  // Field lock: callbacks, parameters, name.
  mutable std::mutex FFieldLock;
  std::array<TOnTaskExecute, slCount> FCallbacks;
  std::vector<std::unique_ptr<TTaskParam>> stParams;
  std::string stID;

  std::atomic<TThreadPriority> FPriority{tpNormal};
  std::atomic<uint32_t> FHandle{0};
  std::mutex FPriorityLock;  // applying a priority, from the setter or the starting worker

  std::atomic<bool> FActive{false};
  std::atomic<bool> FReStart{true};
  std::atomic<bool> FUserStop{false};
  std::atomic<bool> FPaused{false};
  std::atomic<bool> FLocked{false};

  // Pass lock: the worker's sleep and the bookkeeping a Start must see in one piece.
  mutable std::mutex FPassLock;
  mutable std::condition_variable FPassSignal;
  bool FStartPending = false;
  bool FPassOpen = false;
  enum class TWait { wNone, wAsleep, wHeld };
  mutable TWait FWait = TWait::wNone;  // where the worker waits
  std::atomic<int> FPauseCount{0};
  std::atomic<std::thread::id> FServing{};  // the thread running this worker's Synchronize fn

  TTaskManager* const FTaskManager;
  std::atomic<TTaskGroup*> FTaskGroup{nullptr};  // set once, when a group adopts the task
  std::unique_ptr<TTaskThread> FTaskThread;      // owned; written once, by the first Start
  std::atomic<TTaskThread*> FWorker{nullptr};    // the same worker, published to every thread
};

// A task that starts and stops its members together; it never has a worker of its own.
class TTaskGroup : public TSmartTask {
 public:
  using TSmartTask::TSmartTask;
  ~TTaskGroup() override;

  void Start() override;
  // Every member stops softly, whatever FullStop says.
  void Stop(bool fullStop) override;

  bool TaskExists(std::string_view taskID) const;
  // Adopts the task unless a member of the same name exists (then the task is dropped and the
  // result is none).
  TSmartTask* AddTask(std::unique_ptr<TSmartTask> smartTask);
  size_t Count() const;
  // Members report "TaskStopped" and "TaskEnded" from their workers; the group ignores both.
  void NotifyEvent(std::string_view eventID);

 private:
  mutable std::mutex FListLock;
  std::vector<std::unique_ptr<TSmartTask>> TaskList;
};

}  // namespace tasks
