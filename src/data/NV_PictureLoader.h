// The picture loader: turns any path into a bitmap bounded by a requested size, for the tiles'
// icons and previews. The decoder is chosen by extension (letter case ignored):
//
//   ".exe"              the program's own icon when it is a Windows program, else UnknownExe.png
//   ".ico"              the best image of the icon file, else UnknownIco.png
//   ".bmp", ".nvb"      the picture (by its signature), fitted; skipped on request
//   ".jpg", ".jpeg"     decoded at 1/2, 1/4 or 1/8 when the file is that much larger, fitted
//   ".png"              the picture, fitted
//   anything else       executables and ".desktop" launchers: the icon the desktop gives them;
//                       otherwise the file-icon theme's picture of the extension; otherwise the
//                       icon of the content type; otherwise that of the program that opens it;
//                       otherwise Unknown.png
//
// A symbolic link shows its target's picture; ".lnk" files are plain files. Pictures are never
// enlarged: one smaller than the request is used as it is. A file that cannot be read or decoded
// (missing, unreadable, truncated, beyond the pixel budget, lying about itself) shows the
// fallback picture of its row. For requests of 128 pixels and more the desktop's shared
// thumbnail cache is read before decoding and written after, and a file that failed is recorded
// there so it is not tried again.
//
// Threads: may be called from any thread (icon workers call it); the desktop's icons are looked
// up by the Icons service, which consults the icon theme on the interface thread.
#pragma once

#include <string_view>

#include "gfx/Bitmap32.h"
#include "gfx/PictureTypes.h"

namespace platform {
class Icons;
}

namespace data {

class TThumbnailCache;

// What LoadPicture put into its target.
enum class TPictureLoad {
  plPicture,   // the file's own picture (or its desktop icon)
  plFallback,  // the fallback picture of its row: the file could not be shown
  plFailed     // nothing: not even the fallback could be read; the target is unchanged
};

// Where LoadPicture may look besides the file. Without a thumbnail cache thumbnails are neither
// read nor written; without an icon service the installed one is used, when there is one.
struct TPictureSources {
  TThumbnailCache* Thumbnails = nullptr;
  platform::Icons* Icons = nullptr;
};

TPictureLoad LoadPicture(std::string_view path, gfx::TBitmap32& target, int width, bool skipBitmapFiles,
                         int height, const TPictureSources& sources = {});

// Decodes the PNG file Path (a macro path) into Target; Target is left as it was on failure.
gfx::TPictureResult LoadPng(std::string_view path, gfx::TBitmap32& target);

// The JPEG decoding scale for a Width x Height request: 0 full size, 1 half, 2 quarter,
// 3 eighth, from the header's size (a side of 0 counts as 1).
int JpegScale(std::string_view path, int width, int height);
// The size the JPEG file's header declares; 0 x 0 when it is no JPEG or its header is cut short.
void JpegSize(std::string_view path, int& width, int& height);

}  // namespace data
