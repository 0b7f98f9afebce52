// The pictures the desktop shows for entries: the icon of a file or folder, of a content type,
// of a ".desktop" launcher and of a volume, drawn from the icon theme at the size asked for.
//
// Threads: every call may be made from any thread. The theme is consulted on the interface
// thread (a worker waits for it there); pictures are decoded on the calling thread.
#pragma once

#include <string>

#include "gfx/Bitmap32.h"
#include "platform/Volumes.h"

namespace platform {

class Icons {
 public:
  virtual ~Icons() = default;
  // Each gives Out the icon at Size x Size pixels (or smaller in one direction when the picture
  // is not square); false, with Out left as it was, when there is none.

  // The entry at Path: a launcher's own icon, the program icon for an executable file, a
  // folder's, else the icon of the content type its name suggests.
  virtual bool ForPath(const std::string& path, int size, gfx::TBitmap32& out) = 0;
  // "text/plain", "inode/directory".
  virtual bool ForContentType(const std::string& contentType, int size, gfx::TBitmap32& out) = 0;
  // The Icon= of a ".desktop" launcher (a theme name or a picture file).
  virtual bool ForLauncher(const std::string& desktopFile, int size, gfx::TBitmap32& out) = 0;
  // A drive of its kind.
  virtual bool ForVolume(const TVolumeInfo& volume, int size, gfx::TBitmap32& out) = 0;
};

void SetIcons(Icons* icons);
Icons& TheIcons();
bool HasIcons();  // an icon service is installed

// The theme names that stand for a drive of Kind, the most specific first.
const char* const* VolumeIconNames(TVolumeKind kind);

}  // namespace platform
