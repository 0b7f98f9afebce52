// Arbitrary bytes into the program icon reader; the input's length picks the requested size so
// that each input always takes the same path.
#include "FuzzChecks.h"
#include "gfx/ExeIcon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static constexpr int kRequests[] = {16, 32, 48, 256, 0};
  const int want = kRequests[size % 5];
  gfx::TBitmap32 bitmap;
  const gfx::TPictureResult result =
      gfx::DecodeExeIcon(data, size, want, want, bitmap, fuzz::kLimits);
  fuzz::CheckOutcome(result, bitmap);
  fuzz::CheckWithinBudget(bitmap);
  if (result && (size < 2 || data[0] != 'M' || data[1] != 'Z')) fuzz::Broken();
  return 0;
}
