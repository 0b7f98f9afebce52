// The icon of a Windows program or library (".exe", ".dll"): the first icon group among the
// program's resources, its image that best fits a request, decoded like an icon file's image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfx/Bitmap32.h"
#include "gfx/PictureTypes.h"

namespace gfx {

// Reads 32 and 64-bit programs. Bytes that are no such program, or a program without an icon
// group, give peUnsupported. Every offset, count and address is checked against the data and the
// resource tree is walked exactly three levels deep (type, name, language), so a tree that points
// back into itself ends the walk instead of repeating it.
TPictureResult DecodeExeIcon(const uint8_t* data, size_t size, int wantWidth, int wantHeight,
                             TBitmap32& bitmap, const TDecodeLimits& limits = {});

}  // namespace gfx
