#include "platform/gtk/GioVolumes.h"

#include <dirent.h>
#include <gio/gunixmounts.h>
#include <stdlib.h>
#include <sys/statvfs.h>

#include <condition_variable>
#include <thread>

namespace platform::gtk {

namespace {

// A volume that answered this recently is taken as ready without asking again.
constexpr auto kReadyMemory = std::chrono::seconds(1);

std::string RealPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string result(real);
  free(real);
  return result;
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

// udev writes the unsafe bytes of a label as "\xHH"; anything else stands for itself.
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

std::string LabelOfDevice(const std::string& device) {
  static const char* kLabels = "/dev/disk/by-label";
  if (device.empty() || device[0] != '/') return {};
  std::string wanted = RealPath(device);
  DIR* dir = opendir(kLabels);
  if (!dir) return {};
  std::string label;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (RealPath(std::string(kLabels) + "/" + name) == wanted) {
      label = UnescapeLabel(name);
      break;
    }
  }
  closedir(dir);
  return label;
}

}  // namespace

struct TGioVolumes::TProbe {
  std::mutex Lock;
  std::condition_variable Done;
  bool Finished = false;
  bool Ready = false;
  TClock::time_point Started = TClock::now();
};

std::vector<TGioVolumes::TMount> TGioVolumes::Mounts() {
  std::lock_guard<std::mutex> guard(FLock);
  if (FMountsRead && !g_unix_mounts_changed_since(FMountStamp)) return FMounts;
  guint64 stamp = 0;
  GList* entries = g_unix_mounts_get(&stamp);
  FMounts.clear();
  for (GList* item = entries; item; item = item->next) {
    auto* entry = static_cast<GUnixMountEntry*>(item->data);
    TMount mount;
    mount.Root = WithoutTrailingSlash(g_unix_mount_get_mount_path(entry));
    mount.Device = g_unix_mount_get_device_path(entry);
    mount.Shown = g_unix_mount_guess_should_display(entry);
    FMounts.push_back(std::move(mount));
  }
  g_list_free_full(entries, reinterpret_cast<GDestroyNotify>(g_unix_mount_free));
  FMountStamp = stamp;
  FMountsRead = true;
  return FMounts;
}

bool TGioVolumes::Probe(const std::string& root) {
  std::shared_ptr<TProbe> probe;
  {
    std::lock_guard<std::mutex> guard(FLock);
    TRootState& state = FRoots[root];
    if (state.EverReady && TClock::now() - state.LastReady < kReadyMemory) return true;
    if (state.Running) {
      std::lock_guard<std::mutex> probeGuard(state.Running->Lock);
      if (state.Running->Finished) state.Running.reset();
    }
    if (!state.Running) {
      state.Running = std::make_shared<TProbe>();
      // The worker owns only the probe, never this object: a hung statvfs may outlive us.
      std::thread([probe = state.Running, root] {
        struct statvfs info;
        bool ready = statvfs(root.c_str(), &info) == 0;
        {
          std::lock_guard<std::mutex> probeGuard(probe->Lock);
          probe->Finished = true;
          probe->Ready = ready;
        }
        probe->Done.notify_all();
      }).detach();
    }
    probe = state.Running;
  }
  // Callers that arrive while a probe runs share it, within the same overall bound.
  bool ready = false;
  {
    std::unique_lock<std::mutex> probeLock(probe->Lock);
    auto deadline = probe->Started + std::chrono::milliseconds(kReadyTimeoutMs);
    if (!probe->Done.wait_until(probeLock, deadline, [&] { return probe->Finished; })) return false;
    ready = probe->Ready;
  }
  std::lock_guard<std::mutex> guard(FLock);
  TRootState& state = FRoots[root];
  if (state.Running == probe) state.Running.reset();
  if (ready) {
    state.EverReady = true;
    state.LastReady = TClock::now();
  }
  return ready;
}

bool TGioVolumes::DriveReady(const std::string& path) {
  if (path.empty() || path[0] != '/') return false;
  std::vector<std::string> roots{"/"};
  for (const TMount& mount : Mounts()) roots.push_back(mount.Root);
  return Probe(VolumeRootOf(path, roots));
}

std::string TGioVolumes::VolumeLabel(const std::string& root) {
  std::string wanted = WithoutTrailingSlash(root);
  for (const TMount& mount : Mounts())
    if (mount.Root == wanted) return LabelOfDevice(mount.Device);
  return {};
}

bool TGioVolumes::IsDriveRoot(const std::string& path) {
  std::string wanted = WithoutTrailingSlash(path);
  if (wanted == "/") return true;
  for (const TMount& mount : Mounts())
    if (mount.Shown && mount.Root == wanted) return true;
  return false;
}

}  // namespace platform::gtk
