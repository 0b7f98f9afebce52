// Icon files (".ico"): a directory of images of several sizes and depths, each either a PNG
// picture or a headerless bitmap with a transparency mask. The image that best fits a request
// is chosen and decoded; program icons (ExeIcon.h) choose and decode their images the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gfx/Bitmap32.h"
#include "gfx/PictureTypes.h"

namespace gfx {

// What a directory says about one image.
struct TIconEntry {
  int Width = 0;   // 1..256
  int Height = 0;  // 1..256
  int Depth = 0;   // bits a pixel, as declared or as the colour count implies
};

// An entry from its stored fields: width and height bytes (0 stands for 256), the colour count
// and the bit count; without a bit count the depth is what the colour count needs (0 colours
// meaning 256 or more: 8 bits).
TIconEntry IconEntryOf(uint8_t width, uint8_t height, uint8_t colourCount, uint16_t bitCount);

// The entry an icon shows at WantWidth x WantHeight: the smallest at least that large both ways,
// else the largest; among entries of the same size the deepest, then the first. A request of
// 0 x 0 (or less) takes the largest. -1 for no entries.
int ChooseIconEntry(const std::vector<TIconEntry>& entries, int wantWidth, int wantHeight);

// One image of an icon: a PNG picture, or a bitmap at 1, 4, 8, 24 or 32 bits (2 and 16 as well)
// with its mask. Premultiplied ARGB at the image's own size.
TPictureResult DecodeIconImage(const uint8_t* data, size_t size, TBitmap32& bitmap,
                               const TDecodeLimits& limits = {});

// Decodes the image of an icon file that ChooseIconEntry picks for the request. The whole
// directory is checked first: an entry whose data lies outside the file or inside the directory
// makes the file fail, whichever image would be chosen.
TPictureResult DecodeIco(const uint8_t* data, size_t size, int wantWidth, int wantHeight,
                         TBitmap32& bitmap, const TDecodeLimits& limits = {});

}  // namespace gfx
