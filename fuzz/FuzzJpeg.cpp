// Arbitrary bytes into the JPEG decoder, at every scale and through the thumbnail path; the
// input's length picks the path so that each input always takes the same one.
#include "FuzzChecks.h"
#include "gfx/JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int width = 0, height = 0;
  const bool sized = bool(gfx::ReadJpegSize(data, size, width, height));
  if (sized && (width <= 0 || height <= 0)) fuzz::Broken();

  gfx::TBitmap32 bitmap;
  gfx::TPictureResult result;
  if (size % 8 < 4) {
    const int denom = 1 << (size % 4);
    result = gfx::DecodeJpeg(data, size, bitmap, denom, fuzz::kLimits);
    if (result && (bitmap.Width() != (width + denom - 1) / denom ||
                   bitmap.Height() != (height + denom - 1) / denom))
      fuzz::Broken();
  } else {
    result = gfx::LoadScaledJpeg(data, size, 40, 30, bitmap, fuzz::kLimits);
    if (result && (bitmap.Width() > 40 || bitmap.Height() > 30)) fuzz::Broken();
  }
  fuzz::CheckOutcome(result, bitmap);
  if (result && !sized) fuzz::Broken();
  return 0;
}
