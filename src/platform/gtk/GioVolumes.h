// The real volumes: the Unix mount table through GIO, labels from the udev label links, and
// readiness and sizes from statvfs asked on a short-lived worker so that a dead network mount can
// only make the caller wait kReadyTimeoutMs. Mounts and unmounts are learnt from GIO's volume
// monitor, and from the Unix mount monitor for what the volume monitor does not report.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Volumes.h"

namespace platform::gtk {

// A label from the name of its link in /dev/disk/by-label: udev writes the unsafe bytes of a
// label as "\xHH" (two hex digits); anything else stands for itself.
std::string UnescapeLabel(const std::string& name);

class TGioVolumes : public Volumes {
 public:
  TGioVolumes() = default;
  ~TGioVolumes() override;
  TGioVolumes(const TGioVolumes&) = delete;
  TGioVolumes& operator=(const TGioVolumes&) = delete;

  bool DriveReady(const std::string& path) override;
  std::string VolumeLabel(const std::string& root) override;
  bool IsDriveRoot(const std::string& path) override;
  std::vector<TVolumeInfo> Drives() override;
  TVolumeInfo VolumeOf(const std::string& path) override;
  TVolumeSpace Space(const std::string& path) override;
  // The monitors start with the first handler, on the interface thread.
  TVolumeHandlerId AddChangeHandler(TVolumeChangeHandler handler) override;
  void RemoveChangeHandler(TVolumeHandlerId id) override;

 private:
  using TClock = std::chrono::steady_clock;
  struct TMount {
    std::string Root;    // without trailing "/"
    std::string Device;  // "/dev/sda1", or what the mount table names (a share, "tmpfs")
    std::string FsType;
    bool Shown = false;  // a desktop lists it for its user
  };
  struct TProbe;  // one statvfs call on its worker
  struct TRootState {
    std::shared_ptr<TProbe> Running;
    TClock::time_point LastReady{};  // when it last answered, to spare a worker per call
    bool EverReady = false;
  };

  std::vector<TMount> Mounts();  // re-read when the mount table changed
  std::shared_ptr<TProbe> StartProbe(const std::string& root);  // or join the one running
  TVolumeSpace AwaitProbe(const std::string& root, const std::shared_ptr<TProbe>& probe);
  bool Probe(const std::string& root);
  std::string RootOnDisk(const std::string& path);  // the mount that really holds Path
  TVolumeInfo InfoOf(const TMount& mount) const;
  std::vector<std::string> ShownRoots();  // with trailing "/", "/" first

  // Interface thread: the change monitors.
  static void OnMountAdded(void* monitor, void* mount, void* self);
  static void OnMountRemoved(void* monitor, void* mount, void* self);
  static void OnMountsChanged(void* monitor, void* self);
  void Resync();
  void StartMonitors();

  std::mutex FLock;
  std::vector<TMount> FMounts;
  uint64_t FMountStamp = 0;
  bool FMountsRead = false;
  std::map<std::string, TRootState> FRoots;

  TVolumeChangeHandlers FHandlers;    // interface thread
  std::vector<std::string> FKnown;    // the shown roots the handlers were last told of
  void* FVolumeMonitor = nullptr;     // GVolumeMonitor*
  void* FMountMonitor = nullptr;      // GUnixMountMonitor*
};

}  // namespace platform::gtk
