#include "data/NV_ResizeBitmap.h"

#include <cstdint>

#include "gfx/Draw.h"

namespace data {

namespace {

// The side computed from the other one never collapses to nothing.
constexpr int kSmallestComputedSide = 20;

int ComputedSide(int64_t side) { return side <= 1 ? kSmallestComputedSide : int(side); }

}  // namespace

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
  int w = width, h = height;
  if (keepAspect) {
    if (sh < sw)
      h = ComputedSide(int64_t{sh} * width / sw);
    else
      w = ComputedSide(int64_t{sw} * height / sh);
  }
  target = gfx::Resampled(source, w, h);
  return !target.Empty();
}

}  // namespace data
