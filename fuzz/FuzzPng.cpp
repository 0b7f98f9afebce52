// Arbitrary bytes into the PNG decoder; whatever decodes must survive an encode and decode.
#include "FuzzChecks.h"
#include "gfx/PngCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gfx::TBitmap32 bitmap;
  const gfx::TPictureResult result = gfx::DecodePng(data, size, bitmap, fuzz::kLimits);
  fuzz::CheckOutcome(result, bitmap);
  if (result) {
    const std::vector<uint8_t> file = gfx::EncodePng(bitmap);
    gfx::TBitmap32 again;
    if (!gfx::DecodePng(file.data(), file.size(), again, fuzz::kLimits)) fuzz::Broken();
    if (!fuzz::SamePixels(bitmap, again)) fuzz::Broken();
  }
  return 0;
}
