// Arbitrary bytes into picture format detection and the decoder it picks. Only the first eight
// bytes decide; a format found in a start of the data stays when more follows; whatever a
// decoder reads is detected as that decoder's format; and data of no known format fails as
// unsupported, without a picture.
#include <algorithm>

#include "FuzzChecks.h"
#include "gfx/BmpCodec.h"
#include "gfx/JpegCodec.h"
#include "gfx/Picture.h"
#include "gfx/PngCodec.h"

using gfx::TPictureFormat;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TPictureFormat format = gfx::DetectPictureFormat(data, size);
  if (size > 8 && gfx::DetectPictureFormat(data, 8) != format) fuzz::Broken();
  for (size_t start = 0; start <= std::min<size_t>(size, 8); ++start) {
    const TPictureFormat early = gfx::DetectPictureFormat(data, start);
    if (early != TPictureFormat::pfUnknown && early != format) fuzz::Broken();
  }

  gfx::TBitmap32 bitmap;
  const gfx::TPictureResult result = gfx::DecodePicture(data, size, bitmap, fuzz::kLimits);
  fuzz::CheckOutcome(result, bitmap);
  if (format == TPictureFormat::pfUnknown &&
      (result || result.Error != gfx::TPictureError::peUnsupported))
    fuzz::Broken();

  gfx::TBitmap32 other;
  if (gfx::DecodePng(data, size, other, fuzz::kLimits) && format != TPictureFormat::pfPng)
    fuzz::Broken();
  if (gfx::DecodeJpeg(data, size, other, 1, fuzz::kLimits) && format != TPictureFormat::pfJpeg)
    fuzz::Broken();
  if (gfx::DecodeBmp(data, size, other, fuzz::kLimits) && format != TPictureFormat::pfBmp)
    fuzz::Broken();
  return 0;
}
