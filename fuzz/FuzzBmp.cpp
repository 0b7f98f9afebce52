// Arbitrary bytes into the BMP decoder; whatever decodes must survive an encode and decode.
#include "FuzzChecks.h"
#include "gfx/BmpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gfx::TBitmap32 bitmap;
  const gfx::TPictureResult result = gfx::DecodeBmp(data, size, bitmap, fuzz::kLimits);
  fuzz::CheckOutcome(result, bitmap);
  if (result) {
    const std::vector<uint8_t> file = gfx::EncodeBmp(bitmap);
    gfx::TBitmap32 again;
    if (!gfx::DecodeBmp(file.data(), file.size(), again, fuzz::kLimits)) fuzz::Broken();
    if (!fuzz::SamePixels(bitmap, again)) fuzz::Broken();
  }
  return 0;
}
