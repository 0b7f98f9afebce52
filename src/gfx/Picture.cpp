#include "gfx/Picture.h"

#include <cstring>

#include "gfx/BmpCodec.h"
#include "gfx/JpegCodec.h"
#include "gfx/PngCodec.h"

namespace gfx {

TPictureFormat DetectPictureFormat(const uint8_t* data, size_t size) {
  static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size >= 8 && std::memcmp(data, png, 8) == 0) return TPictureFormat::pfPng;
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
    return TPictureFormat::pfJpeg;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return TPictureFormat::pfBmp;
  return TPictureFormat::pfUnknown;
}

TPictureResult DecodePicture(const uint8_t* data, size_t size, TBitmap32& bitmap,
                             const TDecodeLimits& limits) {
  switch (DetectPictureFormat(data, size)) {
    case TPictureFormat::pfPng:
      return DecodePng(data, size, bitmap, limits);
    case TPictureFormat::pfJpeg:
      return DecodeJpeg(data, size, bitmap, 1, limits);
    case TPictureFormat::pfBmp:
      return DecodeBmp(data, size, bitmap, limits);
    case TPictureFormat::pfUnknown:
      break;
  }
  bitmap.SetSize(0, 0);
  return PictureFailure(TPictureError::peUnsupported, "not a PNG, JPEG or BMP picture");
}

TPictureResult LoadPictureFile(const std::string& path, TBitmap32& bitmap,
                               const TDecodeLimits& limits) {
  bitmap.SetSize(0, 0);
  std::vector<uint8_t> bytes;
  TPictureResult result = ReadWholeFile(path, bytes, limits.MaxFileBytes);
  if (!result) return result;
  result = DecodePicture(bytes.data(), bytes.size(), bitmap, limits);
  if (!result) result.Message = path + ": " + result.Message;
  return result;
}

}  // namespace gfx
