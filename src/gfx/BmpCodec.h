// BMP pictures: 1, 2, 4 and 8-bit palettes, 16, 24 and 32-bit pixels with or without bit-field
// masks, either row order, and the core, info, V4 and V5 headers. Run-length and embedded
// JPEG or PNG data are not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/Bitmap32.h"
#include "gfx/PictureTypes.h"

namespace gfx {

// Decodes into premultiplied ARGB. A 32-bit picture without bit fields whose fourth byte is zero
// everywhere is opaque: many writers leave that byte unused. A declared alpha mask is trusted.
TPictureResult DecodeBmp(const uint8_t* data, size_t size, TBitmap32& bitmap,
                         const TDecodeLimits& limits = {});

// The bitmap of an icon image: a BMP without its file header (info header, palette, pixels), the
// header's height counting the pixel rows and those of the 1-bit mask after them. Where the
// pixels carry no alpha (up to 24 bits, or 32 with the fourth byte zero everywhere) the mask
// makes a pixel transparent with its bit set; otherwise the mask is ignored.
TPictureResult DecodeIconBitmap(const uint8_t* data, size_t size, TBitmap32& bitmap,
                                const TDecodeLimits& limits = {});

// The bitmap as a bottom-up 32-bit BMP with a V4 header, bit-field masks and straight alpha;
// empty for an empty bitmap.
std::vector<uint8_t> EncodeBmp(const TBitmap32& bitmap);

// Writes EncodeBmp's result, replacing Path atomically.
TPictureResult SaveBmpFile(const TBitmap32& bitmap, const std::string& path);

}  // namespace gfx
