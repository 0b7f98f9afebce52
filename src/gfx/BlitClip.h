// Clipping of a block transfer between two bitmaps, shared by the copy, blend and stretch paths.
#pragma once

#include "gfx/Bitmap32.h"

namespace gfx::detail {

// The part of a transfer of Src's SrcRect to Dest at (X, Y) that lies inside both bitmaps.
struct TBlit {
  int DestX = 0;
  int DestY = 0;
  TRect Src;  // inside Src; empty when nothing is transferred
};

inline TBlit ClipBlit(const TBitmap32& dest, int x, int y, const TBitmap32& src,
                      const TRect& srcRect) {
  TBlit b;
  TRect s = Intersect(srcRect, src.BoundsRect());
  if (s.IsEmpty()) return b;
  // Cutting the source's left or top edge moves the target by the same amount.
  int64_t dx = int64_t{x} + (s.Left - int64_t{srcRect.Left});
  int64_t dy = int64_t{y} + (s.Top - int64_t{srcRect.Top});
  const int64_t left = std::max<int64_t>(dx, 0), top = std::max<int64_t>(dy, 0);
  const int64_t right = std::min<int64_t>(dx + s.Width(), dest.Width());
  const int64_t bottom = std::min<int64_t>(dy + s.Height(), dest.Height());
  if (right <= left || bottom <= top) return b;
  b.DestX = int(left);
  b.DestY = int(top);
  b.Src = Bounds(int(s.Left + (left - dx)), int(s.Top + (top - dy)), int(right - left),
                 int(bottom - top));
  return b;
}

}  // namespace gfx::detail
