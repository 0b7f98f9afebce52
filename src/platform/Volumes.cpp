#include "platform/Volumes.h"

#include "platform/ServiceSlot.h"

namespace platform {

namespace {
TServiceSlot<Volumes> gVolumes;
}

void SetVolumes(Volumes* volumes) { gVolumes.Set(volumes); }
Volumes& TheVolumes() { return gVolumes.Get(); }

std::string WithoutTrailingSlash(std::string_view path) {
  size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  return std::string(path.substr(0, end));
}

std::string VolumeRootOf(std::string_view path, const std::vector<std::string>& roots) {
  if (path.empty() || path[0] != '/') return {};
  std::string best;
  for (const std::string& candidate : roots) {
    std::string root = WithoutTrailingSlash(candidate);
    if (root.empty() || root[0] != '/' || root.size() <= best.size()) continue;
    bool holds = root == "/" || (path.substr(0, root.size()) == root &&
                                 (path.size() == root.size() || path[root.size()] == '/'));
    if (holds) best = root;
  }
  return best;
}

}  // namespace platform
