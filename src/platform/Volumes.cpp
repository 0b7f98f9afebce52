#include "platform/Volumes.h"

#include <algorithm>
#include <array>

#include "base/Path.h"
#include "platform/ServiceSlot.h"

namespace platform {

namespace {
TServiceSlot<Volumes> gVolumes;

}  // namespace

std::string UnescapeMountField(std::string_view field) {
  auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    // A byte is at most \377.
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        isOctal(field[i + 2]) && isOctal(field[i + 3])) {
      text += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      text += field[i];
    }
  }
  return text;
}

namespace {

std::vector<std::string_view> SplitSpaces(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\n')) ++at;
    size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\n') ++end;
    if (end > at) fields.push_back(line.substr(at, end - at));
    at = end;
  }
  return fields;
}

bool IsNetworkFs(std::string_view type) {
  static constexpr std::array<std::string_view, 11> kNetwork{
      "nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "9p", "davfs", "davfs2", "gvfsd-fuse", "afs"};
  if (type.starts_with("fuse.")) type.remove_prefix(5);
  return std::find(kNetwork.begin(), kNetwork.end(), type) != kNetwork.end();
}

}  // namespace

void SetVolumes(Volumes* volumes) { gVolumes.Set(volumes); }
Volumes& TheVolumes() { return gVolumes.Get(); }

std::string VolumeRootOf(std::string_view path, const std::vector<std::string>& roots) {
  if (path.empty() || path[0] != '/') return {};
  std::string best;
  for (const std::string& candidate : roots) {
    std::string root = base::WithoutTrailingSlash(candidate);
    if (root.empty() || root[0] != '/' || root.size() <= best.size()) continue;
    bool holds = root == "/" || (path.substr(0, root.size()) == root &&
                                 (path.size() == root.size() || path[root.size()] == '/'));
    if (holds) best = root;
  }
  return best;
}

bool ParseMountInfoLine(std::string_view line, TMountEntry& entry) {
  // ID PARENT MAJOR:MINOR ROOT MOUNTPOINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPEROPTIONS
  std::vector<std::string_view> fields = SplitSpaces(line);
  if (fields.size() < 10) return false;
  auto dash = std::find(fields.begin() + 6, fields.end(), std::string_view("-"));
  if (dash == fields.end() || fields.end() - dash < 3) return false;
  if (fields[4].empty() || fields[4][0] != '/') return false;
  entry.Root = base::WithoutTrailingSlash(UnescapeMountField(fields[4]));
  entry.Options = std::string(fields[5]);
  entry.FsType = UnescapeMountField(dash[1]);
  entry.Device = UnescapeMountField(dash[2]);
  return true;
}

TVolumeKind ClassifyMount(const TMountEntry& entry, bool ejectable) {
  if (IsNetworkFs(entry.FsType)) return TVolumeKind::vkNetwork;
  if (entry.FsType == "iso9660" || entry.FsType == "udf" || entry.Device.starts_with("/dev/sr"))
    return TVolumeKind::vkOptical;
  if (entry.FsType == "tmpfs" || entry.FsType == "ramfs") return TVolumeKind::vkRam;
  if (ejectable || entry.Root.starts_with("/media/") || entry.Root.starts_with("/run/media/"))
    return TVolumeKind::vkRemovable;
  return TVolumeKind::vkFixed;
}

TRootChanges CompareRoots(const std::vector<std::string>& before, const std::vector<std::string>& now) {
  TRootChanges changes;
  auto contains = [](const std::vector<std::string>& roots, const std::string& root) {
    return std::find(roots.begin(), roots.end(), root) != roots.end();
  };
  for (const std::string& root : now)
    if (!contains(before, root)) changes.Added.push_back(root);
  for (const std::string& root : before)
    if (!contains(now, root)) changes.Removed.push_back(root);
  return changes;
}

TVolumeHandlerId TVolumeChangeHandlers::Add(TVolumeChangeHandler handler) {
  TVolumeHandlerId id = FNextId++;
  FHandlers.emplace(id, std::move(handler));
  return id;
}

void TVolumeChangeHandlers::Remove(TVolumeHandlerId id) { FHandlers.erase(id); }

void TVolumeChangeHandlers::Notify(TVolumeChange change, const std::string& root) {
  std::vector<TVolumeHandlerId> ids;
  for (const auto& [id, handler] : FHandlers) ids.push_back(id);
  for (TVolumeHandlerId id : ids) {
    auto it = FHandlers.find(id);
    if (it == FHandlers.end()) continue;
    TVolumeChangeHandler handler = it->second;  // a handler may remove itself while it runs
    handler(change, root);
  }
}

}  // namespace platform
