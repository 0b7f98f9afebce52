#include "platform/headless/HeadlessIcons.h"

#include <sys/stat.h>

namespace platform::headless {

namespace {
template <typename K>
bool Take(const std::map<K, gfx::TBitmap32>& fixtures, const K& key, gfx::TBitmap32& out) {
  auto it = fixtures.find(key);
  if (it == fixtures.end()) return false;
  out = it->second;
  return true;
}
}  // namespace

bool THeadlessIcons::ForPath(const std::string& path, int size, gfx::TBitmap32& out) {
  if (Take(ByPath, path, out)) return true;
  struct stat st;
  const bool folder = stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  return ForContentType(folder ? "inode/directory" : "application/octet-stream", size, out);
}

bool THeadlessIcons::ForContentType(const std::string& contentType, int, gfx::TBitmap32& out) {
  return Take(ByContentType, contentType, out);
}

bool THeadlessIcons::ForLauncher(const std::string& desktopFile, int, gfx::TBitmap32& out) {
  return Take(ByPath, desktopFile, out);
}

bool THeadlessIcons::ForVolume(const TVolumeInfo& volume, int, gfx::TBitmap32& out) {
  return Take(ByVolumeKind, volume.Kind, out);
}

}  // namespace platform::headless
