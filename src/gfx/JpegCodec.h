// JPEG pictures: baseline, progressive and arithmetic-coded; greyscale, YCbCr, RGB, CMYK and
// YCCK. Decoding can shrink by 2, 4 or 8 on the way, which costs a fraction of a full decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "gfx/Bitmap32.h"
#include "gfx/PictureTypes.h"

namespace gfx {

// The declared size, from the header alone.
TPictureResult ReadJpegSize(const uint8_t* data, size_t size, int& width, int& height);

// Decodes at 1 / ScaleDenom of the full size (1, 2, 4 or 8; each side rounded up), opaque ARGB.
// A picture whose data ends early is refused (peTruncated) rather than shown with a grey bottom
// or, when progressive, coarse; a missing end marker alone does no harm.
TPictureResult DecodeJpeg(const uint8_t* data, size_t size, TBitmap32& bitmap, int scaleDenom = 1,
                          const TDecodeLimits& limits = {});

// The largest of 8, 4, 2 and 1 that shrinks Width x Height no further than its FitIntoBox size.
int JpegScaleForBox(int width, int height, int boxWidth, int boxHeight);

// A thumbnail: decodes at JpegScaleForBox's scale, then resamples to the FitIntoBox size. A
// picture that already fits keeps its size.
TPictureResult LoadScaledJpeg(const uint8_t* data, size_t size, int boxWidth, int boxHeight,
                              TBitmap32& bitmap, const TDecodeLimits& limits = {});
TPictureResult LoadScaledJpeg(const std::string& path, int boxWidth, int boxHeight,
                              TBitmap32& bitmap, const TDecodeLimits& limits = {});

}  // namespace gfx
