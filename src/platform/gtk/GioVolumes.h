// The real volumes: the Unix mount table through GIO, labels from the udev label links, and
// readiness from statvfs asked on a short-lived worker so that a dead network mount can only
// make the caller wait kReadyTimeoutMs.
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

class TGioVolumes : public Volumes {
 public:
  bool DriveReady(const std::string& path) override;
  std::string VolumeLabel(const std::string& root) override;
  bool IsDriveRoot(const std::string& path) override;

 private:
  using TClock = std::chrono::steady_clock;
  struct TMount {
    std::string Root;    // without trailing "/"
    std::string Device;  // "/dev/sda1", or what the mount table names (a share, "tmpfs")
    bool Shown = false;  // a desktop lists it for its user
  };
  struct TProbe;  // one statvfs call on its worker
  struct TRootState {
    std::shared_ptr<TProbe> Running;
    TClock::time_point LastReady{};  // when it last answered, to spare a worker per call
    bool EverReady = false;
  };

  std::vector<TMount> Mounts();  // re-read when the mount table changed
  bool Probe(const std::string& root);

  std::mutex FLock;
  std::vector<TMount> FMounts;
  uint64_t FMountStamp = 0;
  bool FMountsRead = false;
  std::map<std::string, TRootState> FRoots;
};

}  // namespace platform::gtk
