#include "gfx/PictureTypes.h"

#include <algorithm>

#include "gfx/Bitmap32.h"

namespace gfx {

TPictureResult CheckPixelBudget(int64_t width, int64_t height, const TDecodeLimits& limits) {
  if (width <= 0 || height <= 0) return PictureFailure(TPictureError::peCorrupt, "no pixels");
  const int64_t budget = std::min(limits.MaxPixels, TBitmap32::kMaxPixels);
  // Each side is checked first so that the product cannot overflow.
  if (width > budget || height > budget || width * height > budget)
    return PictureFailure(TPictureError::peTooLarge,
                          std::to_string(width) + " x " + std::to_string(height) +
                              " pixels is beyond the budget of " + std::to_string(budget));
  return {};
}

TPoint FitIntoBox(int width, int height, int boxWidth, int boxHeight) {
  if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) return {0, 0};
  if (width <= boxWidth && height <= boxHeight) return {width, height};
  const int64_t w = width, h = height, bw = boxWidth, bh = boxHeight;
  // The side that overflows the box more decides the scale; the other is rounded to nearest.
  if (w * bh >= h * bw) {
    const int64_t fitted = (2 * h * bw + w) / (2 * w);
    return {boxWidth, int(std::clamp<int64_t>(fitted, 1, bh))};
  }
  const int64_t fitted = (2 * w * bh + h) / (2 * h);
  return {int(std::clamp<int64_t>(fitted, 1, bw)), boxHeight};
}

}  // namespace gfx
