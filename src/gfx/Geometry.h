// Points and rectangles in 32-bit signed pixels. A rectangle holds its left and top edge and
// ends before its right and bottom edge, so its width is Right - Left.
#pragma once

#include <algorithm>
#include <cstdint>

namespace gfx {

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

constexpr int Saturate(int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  // Saturated, so that a rectangle spanning the whole integer range has a defined size.
  int Width() const { return Saturate(int64_t{Right} - Left); }
  int Height() const { return Saturate(int64_t{Bottom} - Top); }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  TRect Offset(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }

// A rectangle from its position and size; sizes are added in 64 bits and saturated so that
// extreme values never overflow.
inline TRect Bounds(int x, int y, int width, int height) {
  return {x, y, Saturate(int64_t{x} + width), Saturate(int64_t{y} + height)};
}

// The common part of two rectangles; empty (all zero) when they do not overlap.
inline TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  return r.IsEmpty() ? TRect{} : r;
}

}  // namespace gfx
