#include "platform/headless/HeadlessVolumes.h"

namespace platform::headless {

const THeadlessVolume* THeadlessVolumes::Find(const std::string& root) const {
  std::string wanted = WithoutTrailingSlash(root);
  for (const THeadlessVolume& volume : List)
    if (WithoutTrailingSlash(volume.Root) == wanted) return &volume;
  return nullptr;
}

bool THeadlessVolumes::DriveReady(const std::string& path) {
  std::vector<std::string> roots{"/"};
  for (const THeadlessVolume& volume : List) roots.push_back(volume.Root);
  std::string root = VolumeRootOf(path, roots);
  if (root.empty()) return false;
  const THeadlessVolume* volume = Find(root);
  return !volume || volume->Ready;
}

std::string THeadlessVolumes::VolumeLabel(const std::string& root) {
  const THeadlessVolume* volume = Find(root);
  return volume ? volume->Label : std::string();
}

bool THeadlessVolumes::IsDriveRoot(const std::string& path) {
  return WithoutTrailingSlash(path) == "/" || Find(path) != nullptr;
}

}  // namespace platform::headless
