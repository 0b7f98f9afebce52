#include "platform/Icons.h"

#include "platform/ServiceSlot.h"

namespace platform {

namespace {
TServiceSlot<Icons> gIcons;
}

void SetIcons(Icons* icons) { gIcons.Set(icons); }
Icons& TheIcons() { return gIcons.Get(); }
bool HasIcons() { return gIcons.Installed(); }

const char* const* VolumeIconNames(TVolumeKind kind) {
  static const char* const kFixed[] = {"drive-harddisk", nullptr};
  static const char* const kOptical[] = {"media-optical", "drive-optical", "drive-harddisk", nullptr};
  static const char* const kRemovable[] = {"drive-removable-media", "media-removable", "drive-harddisk",
                                           nullptr};
  static const char* const kRam[] = {"media-memory", "drive-harddisk", nullptr};
  static const char* const kNetwork[] = {"folder-remote", "network-server", "drive-harddisk", nullptr};
  switch (kind) {
    case TVolumeKind::vkOptical: return kOptical;
    case TVolumeKind::vkRemovable: return kRemovable;
    case TVolumeKind::vkRam: return kRam;
    case TVolumeKind::vkNetwork: return kNetwork;
    case TVolumeKind::vkFixed: break;
  }
  return kFixed;
}

}  // namespace platform
