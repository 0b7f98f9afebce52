// What every picture decoder and encoder shares: the errors and results they report, the budget
// a decoder works within, and the size a picture takes when fitted into a box. The codecs build
// on this; decoding by format (Picture.h) builds on them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "gfx/Geometry.h"

namespace gfx {

enum class TPictureError {
  peNone,
  peNotFound,     // no such file or folder
  peUnreadable,   // no permission, not a regular file, or an I/O error
  peUnsupported,  // not a picture format, or a variant of one this system does not read
  peCorrupt,      // the data contradicts itself
  peTruncated,    // the data ends before the picture does
  peTooLarge,     // beyond the pixel budget or the file size cap
  peWriteFailed,  // a picture file could not be written
};

constexpr const char* PictureErrorName(TPictureError error) {
  switch (error) {
    case TPictureError::peNone:
      return "peNone";
    case TPictureError::peNotFound:
      return "peNotFound";
    case TPictureError::peUnreadable:
      return "peUnreadable";
    case TPictureError::peUnsupported:
      return "peUnsupported";
    case TPictureError::peCorrupt:
      return "peCorrupt";
    case TPictureError::peTruncated:
      return "peTruncated";
    case TPictureError::peTooLarge:
      return "peTooLarge";
    case TPictureError::peWriteFailed:
      return "peWriteFailed";
  }
  return "?";
}

struct TPictureResult {
  TPictureError Error = TPictureError::peNone;
  std::string Message;  // for people: what went wrong, empty on success

  explicit operator bool() const { return Error == TPictureError::peNone; }
};

inline TPictureResult PictureFailure(TPictureError error, std::string message) {
  return {error, std::move(message)};
}

struct TDecodeLimits {
  int64_t MaxPixels = 100'000'000;            // width * height of the decoded picture
  int64_t MaxFileBytes = int64_t{512} << 20;  // a larger file is not read into memory
};

// Refuses a non-positive size (peCorrupt) and one beyond the budget or beyond what a TBitmap32
// holds (peTooLarge). Decoders call it with the declared size before allocating anything.
TPictureResult CheckPixelBudget(int64_t width, int64_t height, const TDecodeLimits& limits);

// The size of a Width x Height picture fitted proportionally into a BoxWidth x BoxHeight box,
// never enlarged and never below 1 x 1; (0, 0) for an empty picture or box.
TPoint FitIntoBox(int width, int height, int boxWidth, int boxHeight);

}  // namespace gfx
