// Arbitrary bytes into the icon file decoder; the input's length picks the requested size so
// that each input always takes the same path. The choice comes before any image is decoded, so
// whichever image a request picks, a lying directory must fail the same way.
#include "FuzzChecks.h"
#include "gfx/IcoCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static constexpr int kRequests[] = {16, 32, 48, 256, 0};
  const int want = kRequests[size % 5];
  gfx::TBitmap32 bitmap;
  const gfx::TPictureResult result = gfx::DecodeIco(data, size, want, want, bitmap, fuzz::kLimits);
  fuzz::CheckOutcome(result, bitmap);
  fuzz::CheckWithinBudget(bitmap);
  // A picture never comes from data that is not an icon file.
  if (result && (size < 6 || data[0] != 0 || data[1] != 0 || data[2] != 1 || data[3] != 0))
    fuzz::Broken();
  return 0;
}
