#include "platform/gtk/GioVolumes.h"

#include <dirent.h>
#include <gio/gio.h>
#include <gio/gunixmounts.h>
#include <stdlib.h>
#include <sys/statvfs.h>

#include <condition_variable>
#include <fstream>
#include <thread>

#include "base/Path.h"

namespace platform::gtk {

namespace {

// A volume that answered this recently is taken as ready without asking again.
constexpr auto kReadyMemory = std::chrono::seconds(1);

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

}  // namespace

std::string UnescapeLabel(const std::string& name) {
  std::string label;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && IsHex(name[i + 2]) &&
        IsHex(name[i + 3])) {
      label += char(HexValue(name[i + 2]) * 16 + HexValue(name[i + 3]));
      i += 3;
    } else {
      label += name[i];
    }
  }
  return label;
}

namespace {

std::string LabelOfDevice(const std::string& device) {
  static const char* kLabels = "/dev/disk/by-label";
  if (device.empty() || device[0] != '/') return {};
  const std::string wanted = base::RealPath(device);
  if (wanted.empty()) return {};
  DIR* dir = opendir(kLabels);
  if (!dir) return {};
  std::string label;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (base::RealPath(base::JoinPath(kLabels, name)) == wanted) {
      label = UnescapeLabel(name);
      break;
    }
  }
  closedir(dir);
  return label;
}

// The kernel marks block devices whose medium can be taken out (sticks, card readers); a
// partition asks the disk it belongs to.
bool DeviceRemovable(const std::string& device) {
  if (device.rfind("/dev/", 0) != 0) return false;
  const std::string name = base::BaseName(base::RealPath(device));
  if (name.empty()) return false;
  std::string node = base::RealPath("/sys/class/block/" + name);
  if (node.empty()) return false;
  if (std::ifstream(node + "/partition").good()) node = base::ParentOf(node);
  char flag = '0';
  std::ifstream(node + "/removable") >> flag;
  return flag == '1';
}

}  // namespace

struct TGioVolumes::TProbe {
  std::mutex Lock;
  std::condition_variable Done;
  bool Finished = false;
  TVolumeSpace Result;
  TClock::time_point Started = TClock::now();
};

TGioVolumes::~TGioVolumes() {
  if (FVolumeMonitor) {
    g_signal_handlers_disconnect_by_data(FVolumeMonitor, this);
    g_object_unref(FVolumeMonitor);
  }
  if (FMountMonitor) {
    g_signal_handlers_disconnect_by_data(FMountMonitor, this);
    g_object_unref(FMountMonitor);
  }
}

std::vector<TGioVolumes::TMount> TGioVolumes::Mounts() {
  std::lock_guard<std::mutex> guard(FLock);
  if (FMountsRead && !g_unix_mounts_changed_since(FMountStamp)) return FMounts;
  guint64 stamp = 0;
  GList* entries = g_unix_mounts_get(&stamp);
  FMounts.clear();
  for (GList* item = entries; item; item = item->next) {
    auto* entry = static_cast<GUnixMountEntry*>(item->data);
    TMount mount;
    mount.Root = base::WithoutTrailingSlash(g_unix_mount_get_mount_path(entry));
    mount.Device = g_unix_mount_get_device_path(entry);
    mount.FsType = g_unix_mount_get_fs_type(entry);
    mount.Shown = g_unix_mount_guess_should_display(entry);
    FMounts.push_back(std::move(mount));
  }
  g_list_free_full(entries, reinterpret_cast<GDestroyNotify>(g_unix_mount_free));
  FMountStamp = stamp;
  FMountsRead = true;
  return FMounts;
}

std::shared_ptr<TGioVolumes::TProbe> TGioVolumes::StartProbe(const std::string& root) {
  // Caller holds FLock.
  TRootState& state = FRoots[root];
  if (state.Running) {
    std::lock_guard<std::mutex> probeGuard(state.Running->Lock);
    if (state.Running->Finished) state.Running.reset();
  }
  if (!state.Running) {
    state.Running = std::make_shared<TProbe>();
    // The worker owns only the probe, never this object: a hung statvfs may outlive us.
    std::thread([probe = state.Running, root] {
      struct statvfs info;
      TVolumeSpace result;
      if (statvfs(root.c_str(), &info) == 0) {
        result.Ready = true;
        result.Total = uint64_t(info.f_blocks) * info.f_frsize;
        result.Free = uint64_t(info.f_bavail) * info.f_frsize;
      }
      {
        std::lock_guard<std::mutex> probeGuard(probe->Lock);
        probe->Finished = true;
        probe->Result = result;
      }
      probe->Done.notify_all();
    }).detach();
  }
  return state.Running;
}

TVolumeSpace TGioVolumes::AwaitProbe(const std::string& root, const std::shared_ptr<TProbe>& probe) {
  // Callers that arrive while a probe runs share it, within the same overall bound.
  TVolumeSpace result;
  {
    std::unique_lock<std::mutex> probeLock(probe->Lock);
    auto deadline = probe->Started + std::chrono::milliseconds(kReadyTimeoutMs);
    if (!probe->Done.wait_until(probeLock, deadline, [&] { return probe->Finished; })) return {};
    result = probe->Result;
  }
  std::lock_guard<std::mutex> guard(FLock);
  TRootState& state = FRoots[root];
  if (state.Running == probe) state.Running.reset();
  if (result.Ready) {
    state.EverReady = true;
    state.LastReady = TClock::now();
  }
  return result;
}

bool TGioVolumes::Probe(const std::string& root) {
  std::shared_ptr<TProbe> probe;
  {
    std::lock_guard<std::mutex> guard(FLock);
    TRootState& state = FRoots[root];
    if (state.EverReady && TClock::now() - state.LastReady < kReadyMemory) return true;
    probe = StartProbe(root);
  }
  return AwaitProbe(root, probe).Ready;
}

std::string TGioVolumes::RootOnDisk(const std::string& path) {
  if (path.empty() || path[0] != '/') return {};
  std::vector<std::string> roots{"/"};
  for (const TMount& mount : Mounts()) roots.push_back(mount.Root);
  return VolumeRootOf(path, roots);
}

bool TGioVolumes::DriveReady(const std::string& path) {
  std::string root = RootOnDisk(path);
  return !root.empty() && Probe(root);
}

TVolumeSpace TGioVolumes::Space(const std::string& path) {
  std::string root = RootOnDisk(path);
  if (root.empty()) return {};
  std::shared_ptr<TProbe> probe;
  {
    std::lock_guard<std::mutex> guard(FLock);
    probe = StartProbe(root);
  }
  return AwaitProbe(root, probe);
}

TVolumeInfo TGioVolumes::InfoOf(const TMount& mount) const {
  TVolumeInfo info;
  info.Root = base::WithTrailingSlash(mount.Root);
  info.Device = mount.Device;
  info.FsType = mount.FsType;
  info.Label = LabelOfDevice(mount.Device);
  info.Kind = ClassifyMount({mount.Root, mount.Device, mount.FsType, {}}, DeviceRemovable(mount.Device));
  return info;
}

std::vector<TVolumeInfo> TGioVolumes::Drives() {
  std::vector<TMount> mounts = Mounts();
  std::vector<TVolumeInfo> drives;
  TMount top{"/", {}, {}, true};
  for (const TMount& mount : mounts)
    if (mount.Root == "/") top = mount;  // the last one mounted there is the one seen
  drives.push_back(InfoOf(top));
  for (const TMount& mount : mounts)
    if (mount.Shown && mount.Root != "/") drives.push_back(InfoOf(mount));
  return drives;
}

TVolumeInfo TGioVolumes::VolumeOf(const std::string& path) {
  if (path.empty() || path[0] != '/') return {};
  std::vector<TVolumeInfo> drives = Drives();
  std::vector<std::string> roots;
  for (const TVolumeInfo& drive : drives) roots.push_back(drive.Root);
  // No root holding the path stands for the file system's root.
  const std::string held = VolumeRootOf(path, roots);
  const std::string root = held.empty() ? "/" : base::WithTrailingSlash(held);
  for (const TVolumeInfo& drive : drives)
    if (drive.Root == root) return drive;
  return drives.front();
}

std::vector<std::string> TGioVolumes::ShownRoots() {
  std::vector<std::string> roots{"/"};
  for (const TMount& mount : Mounts())
    if (mount.Shown && mount.Root != "/") roots.push_back(base::WithTrailingSlash(mount.Root));
  return roots;
}

void TGioVolumes::Resync() {
  std::vector<std::string> now = ShownRoots();
  TRootChanges changes = CompareRoots(FKnown, now);
  FKnown = std::move(now);
  for (const std::string& root : changes.Removed) FHandlers.Notify(TVolumeChange::vcUnmounted, root);
  for (const std::string& root : changes.Added) FHandlers.Notify(TVolumeChange::vcMounted, root);
}

// The volume monitor reports mounts the desktop's services made; the Unix mount monitor every
// change of the mount table. Either makes the table be compared with what was last reported, so
// a mount is reported once whichever tells first.
void TGioVolumes::OnMountAdded(void*, void*, void* self) { static_cast<TGioVolumes*>(self)->Resync(); }
void TGioVolumes::OnMountRemoved(void*, void*, void* self) { static_cast<TGioVolumes*>(self)->Resync(); }
void TGioVolumes::OnMountsChanged(void*, void* self) { static_cast<TGioVolumes*>(self)->Resync(); }

void TGioVolumes::StartMonitors() {
  if (FMountMonitor) return;
  FKnown = ShownRoots();
  // Both emit on the main context of the thread that asks for them first: this one.
  FMountMonitor = g_unix_mount_monitor_get();
  g_signal_connect(FMountMonitor, "mounts-changed", G_CALLBACK(OnMountsChanged), this);
  FVolumeMonitor = g_volume_monitor_get();
  g_signal_connect(FVolumeMonitor, "mount-added", G_CALLBACK(OnMountAdded), this);
  g_signal_connect(FVolumeMonitor, "mount-removed", G_CALLBACK(OnMountRemoved), this);
}

TVolumeHandlerId TGioVolumes::AddChangeHandler(TVolumeChangeHandler handler) {
  StartMonitors();
  return FHandlers.Add(std::move(handler));
}

void TGioVolumes::RemoveChangeHandler(TVolumeHandlerId id) { FHandlers.Remove(id); }

std::string TGioVolumes::VolumeLabel(const std::string& root) {
  std::string wanted = base::WithoutTrailingSlash(root);
  for (const TMount& mount : Mounts())
    if (mount.Root == wanted) return LabelOfDevice(mount.Device);
  return {};
}

bool TGioVolumes::IsDriveRoot(const std::string& path) {
  std::string wanted = base::WithoutTrailingSlash(path);
  if (wanted == "/") return true;
  for (const TMount& mount : Mounts())
    if (mount.Shown && mount.Root == wanted) return true;
  return false;
}

}  // namespace platform::gtk
