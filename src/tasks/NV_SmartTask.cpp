#include "tasks/NV_SmartTask.h"

#include <sys/resource.h>
#include <unistd.h>

#include "platform/UiLoop.h"

namespace tasks {

namespace {

thread_local TSmartTask* tCurrentTask = nullptr;

// Nice values for the priorities. Raising a priority above normal needs a privilege most users
// lack; the worker then simply keeps the nice value it has.
int NiceOf(TThreadPriority priority) {
  switch (priority) {
    case tpIdle:
      return 19;
    case tpLowest:
      return 10;
    case tpLower:
      return 5;
    case tpNormal:
      return 0;
    case tpHigher:
      return -5;
    case tpHighest:
      return -10;
    case tpTimeCritical:
      return -20;
  }
  return 0;
}

// Marks the calling thread as the one running a worker's hand-over while Fn runs.
class TServingScope {
 public:
  explicit TServingScope(std::atomic<std::thread::id>& serving) : FServing(serving) {
    FServing.store(std::this_thread::get_id());
  }
  ~TServingScope() { FServing.store(std::thread::id{}); }
  TServingScope(const TServingScope&) = delete;
  TServingScope& operator=(const TServingScope&) = delete;

 private:
  std::atomic<std::thread::id>& FServing;
};

}  // namespace

// ---- TTaskParam ----

void TTaskParam::SetString(std::string_view id, std::string_view value) {
  tpID = id;
  tpString = value;
}

void TTaskParam::SetInteger(std::string_view id, int32_t value) {
  tpID = id;
  tpInteger = value;
}

void TTaskParam::SetObject(std::string_view id, void* value) {
  tpID = id;
  tpObject = value;
}

// ---- TTaskThread ----

TTaskThread::TTaskThread(TSmartTask& smartTask, TTaskManager* taskManager, std::string id)
    : ttID(std::move(id)), SmartTask(smartTask), TaskManager(taskManager) {}

TTaskThread::~TTaskThread() {
  std::lock_guard<std::mutex> guard(FJoinLock);
  if (!FThread.joinable()) return;
  if (FThread.get_id() == std::this_thread::get_id())
    FThread.detach();  // freed from inside its own pass: nothing can wait for itself
  else
    FThread.join();
}

uint32_t TTaskThread::Handle() const { return SmartTask.ThreadHandle(); }

bool TTaskThread::Suspended() const { return SmartTask.WorkerSuspended(); }

void TTaskThread::Launch() {
  std::lock_guard<std::mutex> guard(FJoinLock);
  FThread = std::thread([this] { SmartTask.WorkerMain(*this); });
}

void TTaskThread::WaitEnded() {
  // Neither the worker itself nor the thread running its hand-over can wait for it: the worker
  // only ends after them.
  if (TSmartTask::Current() == &SmartTask) return;
  if (SmartTask.FServing.load() == std::this_thread::get_id()) return;
  if (!FEnded.load()) {
    if (platform::IsUiThread()) {
      platform::TheUiLoop().WaitServing([this] { return FEnded.load(); });
    } else {
      std::unique_lock<std::mutex> lock(FEndLock);
      FEndSignal.wait(lock, [this] { return FEnded.load(); });
    }
  }
  std::lock_guard<std::mutex> guard(FJoinLock);
  if (FThread.joinable()) FThread.join();
}

void TTaskThread::MarkEnded() {
  {
    std::lock_guard<std::mutex> guard(FEndLock);
    FEnded.store(true);
  }
  FEndSignal.notify_all();
  platform::TheUiLoop().WakeServing();
}

// ---- TSmartTask: set-up ----

TSmartTask::TSmartTask(std::string id, TTaskManager* taskManager)
    : stID(std::move(id)), FTaskManager(taskManager) {}

TSmartTask::~TSmartTask() {
  BeginFullStop();
  if (FTaskThread) {
    FTaskThread->WaitEnded();
    FTaskThread.reset();
  }
}

TSmartTask* TSmartTask::Current() { return tCurrentTask; }

std::string TSmartTask::ID() const {
  std::lock_guard<std::mutex> guard(FFieldLock);
  return stID;
}

std::string TSmartTask::ID(std::string_view value) {
  std::lock_guard<std::mutex> guard(FFieldLock);
  stID = value;
  return stID;
}

TSmartTask& TSmartTask::SetCallback(TSlot slot, TOnTaskExecute fn) {
  std::lock_guard<std::mutex> guard(FFieldLock);
  FCallbacks[slot] = std::move(fn);
  return *this;
}

TOnTaskExecute TSmartTask::Callback(TSlot slot) const {
  std::lock_guard<std::mutex> guard(FFieldLock);
  return FCallbacks[slot];
}

TSmartTask& TSmartTask::OnTaskExecute(TOnTaskExecute e) {
  return SetCallback(slExecute, std::move(e));
}
TSmartTask& TSmartTask::OnTaskStopped(TOnTaskExecute e) {
  return SetCallback(slStopped, std::move(e));
}
TSmartTask& TSmartTask::OnTaskBeforeFinish(TOnTaskExecute e) {
  return SetCallback(slBeforeFinish, std::move(e));
}
TSmartTask& TSmartTask::OnTaskFinish(TOnTaskExecute e) {
  return SetCallback(slFinish, std::move(e));
}
TSmartTask& TSmartTask::OnTaskPaused(TOnTaskExecute e) {
  return SetCallback(slPaused, std::move(e));
}
TSmartTask& TSmartTask::OnTaskResumed(TOnTaskExecute e) {
  return SetCallback(slResumed, std::move(e));
}

TSmartTask& TSmartTask::Priority(TThreadPriority value) {
  FPriority.store(value);
  ApplyPriority();
  return *this;
}

void TSmartTask::ApplyPriority() {
  // The setter and the starting worker both come here; the lock makes the later one win.
  std::lock_guard<std::mutex> guard(FPriorityLock);
  if (const uint32_t tid = FHandle.load())
    setpriority(PRIO_PROCESS, id_t(tid), NiceOf(FPriority.load()));
}

// ---- parameters ----

TTaskParam& TSmartTask::ParamSlot(std::string_view id) {
  for (auto& param : stParams)
    if (param->tpID == id) return *param;
  stParams.push_back(std::make_unique<TTaskParam>());
  stParams.back()->tpID = id;
  return *stParams.back();
}

void TSmartTask::StopIfRunning(bool stopTask) {
  if (stopTask && FWorker.load() && FActive.load()) Stop(false);
}

TSmartTask& TSmartTask::SetParam(std::string_view id, std::string_view value, bool stopTask) {
  StopIfRunning(stopTask);
  std::lock_guard<std::mutex> guard(FFieldLock);
  ParamSlot(id).SetString(id, value);
  return *this;
}

TSmartTask& TSmartTask::SetParam(std::string_view id, int32_t value, bool stopTask) {
  StopIfRunning(stopTask);
  std::lock_guard<std::mutex> guard(FFieldLock);
  ParamSlot(id).SetInteger(id, value);
  return *this;
}

TSmartTask& TSmartTask::SetParam(std::string_view id, void* value, bool stopTask) {
  StopIfRunning(stopTask);
  std::lock_guard<std::mutex> guard(FFieldLock);
  ParamSlot(id).SetObject(id, value);
  return *this;
}

std::optional<TTaskParam> TSmartTask::GetParam(std::string_view id) const {
  std::lock_guard<std::mutex> guard(FFieldLock);
  for (const auto& param : stParams)
    if (param->tpID == id) return *param;
  return std::nullopt;
}

void TSmartTask::GetParam(std::string_view id, std::string& value) const {
  auto param = GetParam(id);
  value = param ? param->tpString : std::string();
}

void TSmartTask::GetParam(std::string_view id, int32_t& value) const {
  auto param = GetParam(id);
  value = param ? param->tpInteger : 0;
}

void TSmartTask::GetParam(std::string_view id, void*& value) const {
  auto param = GetParam(id);
  value = param ? param->tpObject : nullptr;
}

// ---- flags ----

void TSmartTask::HoldWhilePaused() const {
  if (tCurrentTask != this || FPauseCount.load() == 0) return;
  TTaskThread& worker = *FTaskThread;  // set before the worker started, never changed
  std::unique_lock<std::mutex> lock(FPassLock);
  FWait = TWait::wHeld;
  FPassSignal.wait(lock, [&] { return FPauseCount.load() == 0 || worker.Terminated(); });
  FWait = TWait::wNone;
}

bool TSmartTask::WorkerSuspended() const {
  // Waiting with nothing yet posted that would wake it: a start, a resume or the end.
  std::lock_guard<std::mutex> lock(FPassLock);
  const TTaskThread* worker = FWorker.load();
  if (!worker || worker->Terminated()) return false;
  if (FWait == TWait::wAsleep) return !FStartPending;
  if (FWait == TWait::wHeld) return FPauseCount.load() > 0;
  return false;
}

bool TSmartTask::Active() const {
  HoldWhilePaused();
  return FActive.load();
}

bool TSmartTask::UserStop() const {
  HoldWhilePaused();
  return FUserStop.load();
}

bool TSmartTask::ReStart() const {
  HoldWhilePaused();
  return FReStart.load();
}

// ---- control ----

void TSmartTask::Start() {
  {
    std::lock_guard<std::mutex> lock(FPassLock);
    TTaskThread* worker = FWorker.load();
    if (!worker) {
      FTaskThread = std::make_unique<TTaskThread>(*this, FTaskManager, ID());
      FTaskThread->Launch();  // it waits for this lock before it looks for a start
      worker = FTaskThread.get();
      FWorker.store(worker);
    } else if (worker->Terminated()) {
      return;  // a full stop ends a task for good
    }
    if (FPassOpen) {  // the pass in progress is superseded: it gives up and delivers no finish
      FReStart.store(true);
      FActive.store(false);
    }
    FStartPending = true;
  }
  FPassSignal.notify_all();  // outside the lock, so the worker does not wake into a held lock
}

void TSmartTask::BeginFullStop() {
  TTaskThread* worker = nullptr;
  {
    std::lock_guard<std::mutex> lock(FPassLock);
    FActive.store(false);
    FUserStop.store(true);
    worker = FWorker.load();
    if (worker) worker->FTerminated.store(true);
  }
  if (!worker) return;
  FPassSignal.notify_all();
  platform::TheUiLoop().WakeServing();  // a hand-over of this worker re-tests its stop flag
}

void TSmartTask::Stop(bool fullStop) {
  if (!fullStop) {
    FActive.store(false);
    return;
  }
  BeginFullStop();
  if (TTaskThread* worker = FWorker.load()) worker->WaitEnded();
}

void TSmartTask::Pause() {
  if (!FWorker.load()) return;
  {
    std::lock_guard<std::mutex> lock(FPassLock);
    FPauseCount.fetch_add(1);
  }
  Deliver(slPaused);
  FPaused.store(true);
}

void TSmartTask::Resume() {
  if (!FWorker.load()) return;
  {
    std::lock_guard<std::mutex> lock(FPassLock);
    if (FPauseCount.load() > 0) FPauseCount.fetch_sub(1);
  }
  FPassSignal.notify_all();
  Deliver(slResumed);
  FPaused.store(false);
}

void TSmartTask::Lock() {
  TTaskThread* worker = FWorker.load();
  if (!worker || worker->FLockOwner.load() == std::this_thread::get_id()) return;
  worker->FLock.lock();
  worker->FLockOwner.store(std::this_thread::get_id());
  FLocked.store(true);
}

void TSmartTask::UnLock() {
  TTaskThread* worker = FWorker.load();
  if (!worker || worker->FLockOwner.load() != std::this_thread::get_id()) return;
  FLocked.store(false);
  worker->FLockOwner.store(std::thread::id{});
  worker->FLock.unlock();
}

void TSmartTask::Synchronize(const std::function<void()>& fn) {
  platform::RunOnUiThread(
      [this, &fn] {
        TServingScope serving(FServing);
        fn();
      },
      StopFlag());
}

const std::atomic<bool>* TSmartTask::StopFlag() const {
  TTaskThread* worker = FWorker.load();
  return worker ? &worker->FTerminated : nullptr;
}

// ---- the worker ----

TSmartTask::TDelivery TSmartTask::Deliver(TSlot slot) {
  TOnTaskExecute fn = Callback(slot);  // a copy: the owner may replace it meanwhile
  if (!fn) return TDelivery::dlSkipped;
  try {
    fn(*this);
    return TDelivery::dlDone;
  } catch (...) {
    return TDelivery::dlFailed;  // a failing callback ends its pass, never the worker
  }
}

void TSmartTask::NotifyGroup(std::string_view eventID) {
  if (TTaskGroup* group = FTaskGroup.load()) group->NotifyEvent(eventID);
}

void TSmartTask::WorkerMain(TTaskThread& worker) {
  tCurrentTask = this;
  FHandle.store(uint32_t(gettid()));
  ApplyPriority();
  while (AwaitPass(worker)) RunPass(worker);
  FActive.store(false);
  FUserStop.store(false);
  worker.MarkEnded();
}

bool TSmartTask::AwaitPass(TTaskThread& worker) {
  std::unique_lock<std::mutex> lock(FPassLock);
  FWait = TWait::wAsleep;
  FPassSignal.wait(lock, [&] { return FStartPending || worker.Terminated(); });
  FWait = TWait::wNone;
  if (worker.Terminated()) return false;
  // Consuming the start and opening the pass in one step: a Start either comes before (and is
  // served by this pass) or finds the pass open (and supersedes it).
  FStartPending = false;
  FReStart.store(false);
  FUserStop.store(false);
  FActive.store(true);
  FPassOpen = true;
  return true;
}

bool TSmartTask::PassRunning(const TTaskThread& worker) const {
  HoldWhilePaused();
  return !FReStart.load() && !FUserStop.load() && !worker.Terminated() && FActive.load();
}

void TSmartTask::RunPass(TTaskThread& worker) {
  bool failed = false;
  if (PassRunning(worker)) failed = Deliver(slExecute) == TDelivery::dlFailed;
  if (!failed && PassRunning(worker)) failed = Deliver(slBeforeFinish) == TDelivery::dlFailed;
  bool superseded = false, userStop = false;
  {
    std::lock_guard<std::mutex> lock(FPassLock);
    FPassOpen = false;  // from here on a Start begins the next pass instead
    superseded = FReStart.load();
    userStop = FUserStop.load();
  }
  HoldWhilePaused();
  if (!failed && !superseded && !worker.Terminated()) {
    if (userStop) {
      if (Deliver(slStopped) == TDelivery::dlDone) NotifyGroup("TaskStopped");
    } else {
      if (Deliver(slFinish) == TDelivery::dlDone) NotifyGroup("TaskEnded");
    }
  }
  FActive.store(false);
}

// ---- TTaskGroup ----

TTaskGroup::~TTaskGroup() {
  std::vector<std::unique_ptr<TSmartTask>> members;
  {
    std::lock_guard<std::mutex> guard(FListLock);
    members.swap(TaskList);
  }
  members.clear();  // each member waits for its worker; the group is still whole meanwhile
}

void TTaskGroup::Start() {
  std::lock_guard<std::mutex> guard(FListLock);
  for (auto& member : TaskList) member->Start();
}

void TTaskGroup::Stop(bool /*fullStop*/) {
  std::lock_guard<std::mutex> guard(FListLock);
  for (auto& member : TaskList) member->Stop(false);
}

bool TTaskGroup::TaskExists(std::string_view taskID) const {
  std::lock_guard<std::mutex> guard(FListLock);
  for (const auto& member : TaskList)
    if (member->ID() == taskID) return true;
  return false;
}

TSmartTask* TTaskGroup::AddTask(std::unique_ptr<TSmartTask> smartTask) {
  if (!smartTask) return nullptr;
  const std::string id = smartTask->ID();
  {
    std::lock_guard<std::mutex> guard(FListLock);
    bool taken = false;
    for (const auto& member : TaskList) taken = taken || member->ID() == id;
    if (!taken) {
      smartTask->FTaskGroup.store(this);
      TaskList.push_back(std::move(smartTask));
      return TaskList.back().get();
    }
  }
  return nullptr;  // the rejected task is freed here, outside the lock
}

size_t TTaskGroup::Count() const {
  std::lock_guard<std::mutex> guard(FListLock);
  return TaskList.size();
}

void TTaskGroup::NotifyEvent(std::string_view /*eventID*/) {}

}  // namespace tasks
