// PNG pictures: every colour type, bit depth and interlacing in, 8-bit RGB or RGBA out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/Bitmap32.h"
#include "gfx/PictureTypes.h"

namespace gfx {

// Decodes into premultiplied ARGB, 16-bit samples rounded to 8. Colour space chunks are not
// applied: every picture counts as sRGB.
TPictureResult DecodePng(const uint8_t* data, size_t size, TBitmap32& bitmap,
                         const TDecodeLimits& limits = {});

// The bitmap as a PNG file with straight alpha, or as RGB when every pixel is opaque; empty for
// an empty bitmap.
std::vector<uint8_t> EncodePng(const TBitmap32& bitmap);

// Writes EncodePng's result, replacing Path atomically.
TPictureResult SavePngFile(const TBitmap32& bitmap, const std::string& path);

}  // namespace gfx
