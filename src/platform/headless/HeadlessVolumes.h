// The test backend's volumes: a list the test sets. "/" is always there and ready unless the
// list says otherwise. Set List before the service is used from several threads; afterwards
// change it with Mount and Unmount, which also tell the change handlers (through the installed
// interface loop, as a real mount does).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Volumes.h"

namespace platform::headless {

struct THeadlessVolume {
  std::string Root;  // mount root, with or without the trailing "/"
  std::string Label;
  bool Ready = true;
  TVolumeKind Kind = TVolumeKind::vkFixed;
  std::string Device;
  std::string FsType;
  uint64_t Total = 0;
  uint64_t Free = 0;
};

class THeadlessVolumes : public Volumes {
 public:
  std::vector<THeadlessVolume> List;

  bool DriveReady(const std::string& path) override;
  std::string VolumeLabel(const std::string& root) override;
  bool IsDriveRoot(const std::string& path) override;
  std::vector<TVolumeInfo> Drives() override;
  TVolumeInfo VolumeOf(const std::string& path) override;
  TVolumeSpace Space(const std::string& path) override;
  TVolumeHandlerId AddChangeHandler(TVolumeChangeHandler handler) override;
  void RemoveChangeHandler(TVolumeHandlerId id) override;

  // Scripted mounts, from any thread: the handlers learn of them when the loop runs.
  void Mount(const THeadlessVolume& volume);
  // False when nothing is mounted at Root.
  bool Unmount(const std::string& root);

 private:
  const THeadlessVolume* Find(const std::string& root) const;  // caller holds FLock
  const THeadlessVolume* Holder(const std::string& path) const;  // caller holds FLock
  void Tell(TVolumeChange change, const std::string& root);

  mutable std::mutex FLock;
  TVolumeChangeHandlers FHandlers;  // interface thread
};

}  // namespace platform::headless
