#include "data/NV_FolderIcons.h"

#include <unordered_set>

#include "data/NV_IconLoad.h"
#include "data/NV_SourceData.h"
#include "data/NV_VirtualFolder.h"
#include "platform/ThreadCheck.h"
#include "platform/UiLoop.h"

namespace data {

namespace {

// Asks the folder for a repaint from a worker: posted, and dropped when the folder died.
void PostReDraw(const ctrl::Weak<TVirtualFolder>& folder) {
  if (!platform::HasUiLoop()) return;
  platform::Post([folder] {
    if (TVirtualFolder* live = folder.Get()) live->ReDraw();
  });
}

// Loads one job unless another worker has it or it is done; true when this worker loaded it.
bool RunJob(const TFolderIcons::TJob& job, const TFolderIcons::TSnapshot& snapshot) {
  TSourceData& source = *job.Source;
  if (!NeedsLoad(source) || !source.TakeLoad()) return false;
  if (!NeedsLoad(source)) {  // it was published between the two looks
    source.ReturnLoad();
    return false;
  }
  LoadIconSource(job.Request, source, *snapshot.Cache, snapshot.Thumbnails);
  return true;
}

}  // namespace

TFolderIcons::TFolderIcons(TVirtualFolder& folder) : FFolder(folder), FOwner("Folder" + folder.vfID) {}

TFolderIcons::~TFolderIcons() = default;

std::shared_ptr<TFolderIcons::TSnapshot> TFolderIcons::TakeSnapshot() {
  auto snapshot = std::make_shared<TSnapshot>();
  TFolderHost* holder = FFolder.vfHolder;
  if (holder == nullptr) return snapshot;
  TIconCache& cache = holder->IconCache();
  snapshot->Cache = &cache;
  snapshot->Thumbnails = holder->Thumbnails();
  snapshot->Folder = &FFolder;

  int first = 0;
  int last = -1;
  FFolder.RowsBetween(0, holder->HostHeight(), first, last);
  const int count = int(FFolder.vfPointers.size());
  if (last < first) last = first - 1;
  const int from = std::max(0, first - kReadAhead);
  const int to = std::min(count - 1, std::max(last, first) + kReadAhead);
  FWindowFirst = from;
  FWindowLast = to;

  std::unordered_map<std::string, TIconClaim> window;
  std::unordered_set<std::string> queued;
  auto add = [&](int index, bool showing) {
    TItemData* item = FFolder.vfPointers[size_t(index)].ItemData;
    if (item->ClassIs<TGroupData>() || !item->ID_VISIBLE) return;
    TIconRequest request = item->IconRequest();
    if (!queued.insert(request.SourceKey).second) return;
    std::shared_ptr<TSourceData> source;
    if (request.Kind == ikType) {
      auto [claim, made] = FTypeClaims.try_emplace(request.SourceKey);
      if (made) claim->second = cache.FindOrInsert(request.SourceKey, FOwner);
      source = claim->second.Source();
    } else {
      auto held = FWindowClaims.find(request.SourceKey);
      TIconClaim claim = held != FWindowClaims.end() ? std::move(held->second)
                                                     : cache.FindOrInsert(request.SourceKey, FOwner);
      source = claim.Source();
      window.emplace(request.SourceKey, std::move(claim));
    }
    if (source == nullptr || !NeedsLoad(*source)) return;
    TJob job{std::move(request), std::move(source), showing};
    (job.Request.Kind == ikType ? snapshot->General : snapshot->Special).push_back(std::move(job));
  };
  // What is in view first, then the window around it, nearest first.
  for (int i = std::max(first, 0); i <= last && i < count; ++i) add(i, true);
  for (int step = 1; step <= kReadAhead; ++step) {
    if (last + step < count && last + step >= 0) add(last + step, false);
    if (first - step >= 0 && first - step < count) add(first - step, false);
  }
  // Claims of the old window that the new one does not hold go now: their pictures may go too.
  FWindowClaims = std::move(window);
  return snapshot;
}

void TFolderIcons::StartTask(const std::string& name, bool special, int index) {
  tasks::TSmartTask& task = FFolder.vfTaskManager.CreateTask(name, false);
  std::shared_ptr<TSnapshot> snapshot = FSnapshot;
  const int repaintEvery = special ? FFolder.vfIconThreadCnt - index + 3 : 2;
  task.OnTaskExecute([snapshot, special, repaintEvery](tasks::TSmartTask& self) {
    int counted = 0;
    auto loaded = [&](const TJob& job) {
      if (!job.Showing || ++counted < repaintEvery) return;
      counted = 0;
      PostReDraw(snapshot->Folder);
    };
    try {
      if (special) {
        for (size_t i; self.Active() && (i = snapshot->NextSpecial.fetch_add(1)) < snapshot->Special.size();)
          if (RunJob(snapshot->Special[i], *snapshot)) loaded(snapshot->Special[i]);
      } else {
        for (const TJob& job : snapshot->General) {
          if (!self.Active()) break;
          if (RunJob(job, *snapshot)) loaded(job);
        }
      }
    } catch (...) {
      // A failing source ends the pass; the next snapshot tries again.
    }
    if (counted > 0) PostReDraw(snapshot->Folder);
  });
  ctrl::Weak<TVirtualFolder> folder = &FFolder;
  auto finished = [folder, special](tasks::TSmartTask&) {
    if (!platform::HasUiLoop()) return;
    platform::Post([folder, special] {
      if (TVirtualFolder* live = folder.Get()) {
        if (!special) live->vfGeneralDone = true;
        live->ReDraw();
      }
    });
  };
  task.OnTaskFinish(finished);
  task.OnTaskStopped([folder, special](tasks::TSmartTask&) {
    if (!platform::HasUiLoop()) return;
    platform::Post([folder, special] {
      if (TVirtualFolder* live = folder.Get()) {
        if (!special) live->vfGeneralDone = false;
        live->ReDraw();
      }
    });
  });
  task.Priority(tasks::tpIdle);
  task.SetParam("IDX", index);
  task.Start();
}

void TFolderIcons::Start() {
  NV_ASSERT_UI_THREAD();
  FSnapshot = TakeSnapshot();
  if (FSnapshot->Cache == nullptr) return;
  StartTask("SetIcons_General", false, 0);
  for (int n = 0; n < FFolder.vfIconThreadCnt; ++n)
    StartTask("SetIcons_Special" + std::to_string(n), true, n);
}

void TFolderIcons::Stop() {
  FFolder.vfTaskManager.StopTask("SetIcons_General", false);
  for (int n = 0; n < FFolder.vfIconThreadCnt; ++n)
    FFolder.vfTaskManager.StopTask("SetIcons_Special" + std::to_string(n), false);
}

}  // namespace data
