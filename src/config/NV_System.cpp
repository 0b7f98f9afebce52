#include "config/NV_System.h"

#include <dirent.h>

#include "base/Ascii.h"
#include "base/Path.h"
#include "config/NV_PathMacros.h"
#include "platform/Fs.h"
#include "platform/Shell.h"
#include "platform/Volumes.h"

namespace config {

std::string ExistingPathIgnoringCase(std::string_view path) {
  const std::string exact(path);
  if (platform::Fs::Exists(exact)) return exact;
  const size_t slash = exact.rfind('/');
  if (slash == std::string::npos || slash + 1 == exact.size()) return {};
  const std::string folder = slash == 0 ? "/" : exact.substr(0, slash);
  const std::string_view name = std::string_view(exact).substr(slash + 1);
  DIR* dir = opendir(folder.c_str());
  if (!dir) return {};
  std::string best;
  while (dirent* entry = readdir(dir))
    if (base::SameTextAscii(entry->d_name, name) && (best.empty() || best > entry->d_name)) best = entry->d_name;
  closedir(dir);
  return best.empty() ? std::string() : exact.substr(0, slash + 1) + best;
}

namespace {

// The name a folder shows under: its last component, and none for the root itself.
std::string ShownName(std::string_view path) {
  const std::string name = base::BaseName(path);
  return name == "/" ? std::string() : name;
}

bool ExistsAt(const std::string& resolved, int mode) {
  if (resolved.empty() || resolved[0] != '/' || !platform::TheVolumes().DriveReady(resolved))
    return false;
  switch (mode) {
    case 0:
      return platform::Fs::Exists(resolved);
    case 1:
      return platform::Fs::DirectoryExists(resolved);
    case 2:
      return platform::Fs::FileExists(resolved);
    default:
      return false;
  }
}

bool IsRootAt(const std::string& resolved) {
  return !resolved.empty() && resolved[0] == '/' && platform::TheVolumes().IsDriveRoot(resolved);
}

}  // namespace

bool DriveReady(std::string_view drive) {
  std::string path = ResolvePath(drive);
  return !path.empty() && path[0] == '/' && platform::TheVolumes().DriveReady(path);
}

bool PathExists(std::string_view path, int mode) { return ExistsAt(ResolvePath(path), mode); }

bool FileOrFolderExists(std::string_view path) {
  std::string resolved = base::WithoutTrailingSlash(ResolvePath(path));
  return platform::Fs::FileExists(resolved) || ExistsAt(resolved, 0);
}

bool FolderHasEntries(std::string_view path) {
  std::string resolved = ResolvePath(path);
  if (!ExistsAt(resolved, 0)) return false;
  DIR* dir = opendir(resolved.c_str());
  if (!dir) return false;
  bool any = readdir(dir) != nullptr;
  closedir(dir);
  return any;
}

bool IsDriveRoot(std::string_view text) { return IsRootAt(ResolvePath(text)); }

std::string PathDisplayName(std::string_view path) {
  std::string resolved = ResolvePath(path);
  if (IsRootAt(resolved)) return base::WithTrailingSlash(resolved);
  if (!ExistsAt(resolved, 0)) return std::string(path);
  return ShownName(resolved);
}

std::string PathCaption(std::string_view path) {
  if (path == "QDrive:\\") return "Quick Drive";
  if (path == "*105*") return "Search...";
  std::string resolved = ResolvePath(path);
  if (IsRootAt(resolved)) return base::WithTrailingSlash(resolved);
  return std::string(path);
}

std::string FolderName(std::string_view path) {
  std::string resolved = ResolvePath(path);
  if (platform::Fs::FileExists(resolved)) resolved = base::ParentOf(resolved);
  return ShownName(resolved);
}

std::string NameExtension(std::string_view name) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return base::AsciiLowerCase(name.substr(dot));
}

std::string PathExtension(std::string_view path) {
  std::string resolved = ResolvePath(path);
  // A path ending in "/" names a folder by its text alone: it has no extension.
  std::string ext = resolved.ends_with('/') ? std::string() : NameExtension(base::BaseName(resolved));
  if (!ext.empty()) return ext;
  if (platform::Fs::DirectoryExists(resolved)) return ".folder";
  return platform::Fs::Exists(resolved) ? "" : ".unknown";
}

std::string FoundExtension(std::string_view folder, std::string_view name, bool isFolder) {
  if (isFolder) return ".folder";
  std::string ext = NameExtension(name);
  if (!ext.empty()) return ext;
  return platform::Fs::Exists(base::JoinPath(ResolvePath(folder), name)) ? "" : ".unknown";
}

std::string VolumeLabel(std::string_view root) {
  return platform::TheVolumes().VolumeLabel(ResolvePath(root));
}

std::string SpecialFolder(int index) {
  if (index < 0 || index > int(platform::TSpecialFolder::sfSystem)) return {};
  std::string folder = platform::TheShell().SpecialFolder(platform::TSpecialFolder(index));
  return base::WithTrailingSlash(folder);
}

std::string ShortcutTarget(std::string_view linkFile) {
  return platform::TheShell().ShortcutTarget(ResolvePath(linkFile));
}

std::string OpenCommandProgram(std::string_view ext) {
  return platform::TheShell().DefaultProgramFor(std::string(ext));
}

int DriveIndex(std::string_view path) {
  return path.empty() ? -1 : int(static_cast<unsigned char>(path[0])) - 'A';
}

}  // namespace config
