#include "data/NV_ResizeBitmap.h"

#include <cstdint>

#include "gfx/Draw.h"

namespace data {

namespace {

// The side computed from the other one never collapses to nothing.
constexpr int kSmallestComputedSide = 20;

}  // namespace

gfx::TPoint ProportionalSize(int sourceWidth, int sourceHeight, int width, int height, int smallestSide) {
  auto computed = [smallestSide](int64_t side) { return side <= 1 ? smallestSide : int(side); };
  if (sourceHeight < sourceWidth) return {width, computed(int64_t{sourceHeight} * width / sourceWidth)};
  return {computed(int64_t{sourceWidth} * height / sourceHeight), height};
}

bool ResizeBitmap(const gfx::TBitmap32& source, gfx::TBitmap32& target, int width, bool keepAspect, int height) {
  const int sw = source.Width(), sh = source.Height();
  if (source.Empty()) {
    target = gfx::TBitmap32();
    return false;
  }
  if (sw == width && sh == height) {
    target = source;
    return true;
  }
  const gfx::TPoint size =
      keepAspect ? ProportionalSize(sw, sh, width, height, kSmallestComputedSide) : gfx::TPoint{width, height};
  target = gfx::Resampled(source, size.X, size.Y);
  return !target.Empty();
}

}  // namespace data
