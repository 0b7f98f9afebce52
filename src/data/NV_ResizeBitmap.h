// Scaling a picture to a requested size for icons and thumbnails, shared by the icon handles and
// the picture loader.
#pragma once

#include "gfx/Bitmap32.h"
#include "gfx/Geometry.h"

namespace data {

// The size a Width x Height source takes in a request kept in proportion: the longer side
// decides (a wide source takes Width, any other takes Height), and the other side follows;
// a computed side of 1 or less becomes SmallestSide.
gfx::TPoint ProportionalSize(int sourceWidth, int sourceHeight, int width, int height, int smallestSide);

// Puts Source into Target scaled for Width x Height with the fast resampler:
//   - a source of exactly that size is copied;
//   - without KeepAspect it is stretched to Width x Height;
//   - with KeepAspect the longer source side decides: a wide source takes Width and the height
//     in proportion, any other takes Height and the width in proportion. A computed side of 1
//     or less becomes 20, so a sliver of a picture still shows as something.
// Returns false, with Target emptied, when nothing could be made (an empty source, a side
// below 1 that was asked for, or a size beyond what a bitmap holds).
bool ResizeBitmap(const gfx::TBitmap32& source, gfx::TBitmap32& target, int width, bool keepAspect, int height);

}  // namespace data
