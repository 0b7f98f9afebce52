// The test backend's volumes: a list the test sets. "/" is always there and ready unless the
// list says otherwise. Set the list before the service is used from several threads.
#pragma once

#include <string>
#include <vector>

#include "platform/Volumes.h"

namespace platform::headless {

struct THeadlessVolume {
  std::string Root;  // mount root, with or without the trailing "/"
  std::string Label;
  bool Ready = true;
};

class THeadlessVolumes : public Volumes {
 public:
  std::vector<THeadlessVolume> List;

  bool DriveReady(const std::string& path) override;
  std::string VolumeLabel(const std::string& root) override;
  bool IsDriveRoot(const std::string& path) override;

 private:
  const THeadlessVolume* Find(const std::string& root) const;
};

}  // namespace platform::headless
