#include "platform/headless/HeadlessVolumes.h"

#include "base/Path.h"
#include "platform/UiLoop.h"

namespace platform::headless {

namespace {
TVolumeInfo InfoOf(const THeadlessVolume& volume) {
  return {base::WithTrailingSlash(volume.Root), volume.Label, volume.Device, volume.FsType, volume.Kind};
}
}  // namespace

const THeadlessVolume* THeadlessVolumes::Find(const std::string& root) const {
  std::string wanted = base::WithoutTrailingSlash(root);
  for (const THeadlessVolume& volume : List)
    if (base::WithoutTrailingSlash(volume.Root) == wanted) return &volume;
  return nullptr;
}

const THeadlessVolume* THeadlessVolumes::Holder(const std::string& path) const {
  std::vector<std::string> roots{"/"};
  for (const THeadlessVolume& volume : List) roots.push_back(volume.Root);
  std::string root = VolumeRootOf(path, roots);
  return root.empty() ? nullptr : Find(root);
}

bool THeadlessVolumes::DriveReady(const std::string& path) {
  std::lock_guard<std::mutex> guard(FLock);
  if (path.empty() || path[0] != '/') return false;
  const THeadlessVolume* volume = Holder(path);
  return !volume || volume->Ready;
}

std::string THeadlessVolumes::VolumeLabel(const std::string& root) {
  std::lock_guard<std::mutex> guard(FLock);
  const THeadlessVolume* volume = Find(root);
  return volume ? volume->Label : std::string();
}

bool THeadlessVolumes::IsDriveRoot(const std::string& path) {
  std::lock_guard<std::mutex> guard(FLock);
  return base::WithoutTrailingSlash(path) == "/" || Find(path) != nullptr;
}

std::vector<TVolumeInfo> THeadlessVolumes::Drives() {
  std::lock_guard<std::mutex> guard(FLock);
  std::vector<TVolumeInfo> drives;
  const THeadlessVolume* top = Find("/");
  drives.push_back(top ? InfoOf(*top) : TVolumeInfo{"/", "", "", "", TVolumeKind::vkFixed});
  for (const THeadlessVolume& volume : List)
    if (&volume != top) drives.push_back(InfoOf(volume));
  return drives;
}

TVolumeInfo THeadlessVolumes::VolumeOf(const std::string& path) {
  if (path.empty() || path[0] != '/') return {};
  std::lock_guard<std::mutex> guard(FLock);
  const THeadlessVolume* volume = Holder(path);
  return volume ? InfoOf(*volume) : TVolumeInfo{"/", "", "", "", TVolumeKind::vkFixed};
}

TVolumeSpace THeadlessVolumes::Space(const std::string& path) {
  if (path.empty() || path[0] != '/') return {};
  std::lock_guard<std::mutex> guard(FLock);
  const THeadlessVolume* volume = Holder(path);
  if (!volume) return {true, 0, 0};
  if (!volume->Ready) return {};
  return {true, volume->Total, volume->Free};
}

TVolumeHandlerId THeadlessVolumes::AddChangeHandler(TVolumeChangeHandler handler) {
  return FHandlers.Add(std::move(handler));
}

void THeadlessVolumes::RemoveChangeHandler(TVolumeHandlerId id) { FHandlers.Remove(id); }

void THeadlessVolumes::Tell(TVolumeChange change, const std::string& root) {
  Post([this, change, root = base::WithTrailingSlash(root)] { FHandlers.Notify(change, root); });
}

void THeadlessVolumes::Mount(const THeadlessVolume& volume) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    List.push_back(volume);
  }
  Tell(TVolumeChange::vcMounted, volume.Root);
}

bool THeadlessVolumes::Unmount(const std::string& root) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    const THeadlessVolume* volume = Find(root);
    if (!volume) return false;
    List.erase(List.begin() + (volume - List.data()));
  }
  Tell(TVolumeChange::vcUnmounted, root);
  return true;
}

}  // namespace platform::headless
