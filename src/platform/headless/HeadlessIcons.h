// The test backend's icons: fixtures the test sets, returned as they are (Size is not applied).
// A path has its own fixture, or takes the one of "inode/directory" for folders and of
// "application/octet-stream" for everything else. Set the fixtures before the service is used
// from several threads.
#pragma once

#include <map>
#include <string>

#include "platform/Icons.h"

namespace platform::headless {

class THeadlessIcons : public Icons {
 public:
  std::map<std::string, gfx::TBitmap32> ByPath;         // path or launcher file -> icon
  std::map<std::string, gfx::TBitmap32> ByContentType;  // content type -> icon
  std::map<TVolumeKind, gfx::TBitmap32> ByVolumeKind;

  bool ForPath(const std::string& path, int size, gfx::TBitmap32& out) override;
  bool ForContentType(const std::string& contentType, int size, gfx::TBitmap32& out) override;
  bool ForLauncher(const std::string& desktopFile, int size, gfx::TBitmap32& out) override;
  bool ForVolume(const TVolumeInfo& volume, int size, gfx::TBitmap32& out) override;
};

}  // namespace platform::headless
