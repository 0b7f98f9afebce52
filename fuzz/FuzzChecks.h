// What every decoder promises whatever its input; a broken promise stops the fuzzer.
#pragma once

#include "FuzzText.h"
#include "gfx/Bitmap32.h"
#include "gfx/PictureTypes.h"

namespace fuzz {

// The budget keeps each run fast while leaving room for every code path.
inline constexpr gfx::TDecodeLimits kLimits{4'000'000};

// Success leaves a picture of valid premultiplied pixels, failure an empty bitmap and a reason.
inline void CheckOutcome(const gfx::TPictureResult& result, const gfx::TBitmap32& bitmap) {
  if (!result) {
    if (!bitmap.Empty() || result.Message.empty()) Broken();
    return;
  }
  if (bitmap.Empty()) Broken();
  const gfx::TColor32* p = bitmap.Bits();
  for (size_t i = 0, n = size_t(bitmap.Width()) * size_t(bitmap.Height()); i < n; ++i) {
    const uint8_t a = gfx::AlphaOf(p[i]);
    if (gfx::RedOf(p[i]) > a || gfx::GreenOf(p[i]) > a || gfx::BlueOf(p[i]) > a) Broken();
  }
}

// A decoded picture stays within the budget it was given.
inline void CheckWithinBudget(const gfx::TBitmap32& bitmap) {
  if (int64_t{bitmap.Width()} * bitmap.Height() > kLimits.MaxPixels) Broken();
}

inline bool SamePixels(const gfx::TBitmap32& a, const gfx::TBitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  const size_t n = size_t(a.Width()) * size_t(a.Height());
  for (size_t i = 0; i < n; ++i)
    if (a.Bits()[i] != b.Bits()[i]) return false;
  return true;
}

}  // namespace fuzz
