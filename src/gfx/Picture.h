// Pictures of any supported format: format detection by signature, decoding the bytes of a PNG,
// JPEG or BMP picture with the matching codec, and loading a picture file into a TBitmap32.
//
// Every decoder leaves its output bitmap empty (size 0) when it fails, so a caller never sees a
// half-decoded picture, and refuses a declared size beyond the pixel budget before allocating.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "gfx/Bitmap32.h"
#include "gfx/PictureIo.h"
#include "gfx/PictureTypes.h"

namespace gfx {

enum class TPictureFormat { pfUnknown, pfPng, pfJpeg, pfBmp };

// The format the leading bytes announce; file names play no part.
TPictureFormat DetectPictureFormat(const uint8_t* data, size_t size);

// Decodes a PNG, JPEG or BMP picture, chosen by signature, into premultiplied ARGB.
TPictureResult DecodePicture(const uint8_t* data, size_t size, TBitmap32& bitmap,
                             const TDecodeLimits& limits = {});
TPictureResult LoadPictureFile(const std::string& path, TBitmap32& bitmap,
                               const TDecodeLimits& limits = {});

}  // namespace gfx
