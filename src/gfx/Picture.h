// Picture files: the result of decoding, the budget a decoder works within, format detection by
// signature, and loading a file of any supported format into a TBitmap32.
//
// Every decoder leaves its output bitmap empty (size 0) when it fails, so a caller never sees a
// half-decoded picture, and refuses a declared size beyond the pixel budget before allocating.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gfx/Bitmap32.h"

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

enum class TPictureFormat { pfUnknown, pfPng, pfJpeg, pfBmp };

// The format the leading bytes announce; file names play no part.
TPictureFormat DetectPictureFormat(const uint8_t* data, size_t size);

// Reads a whole regular file. A missing file gives peNotFound, a denied, special or unreadable
// one peUnreadable, one longer than MaxBytes peTooLarge; Bytes is empty after any failure.
TPictureResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes,
                             int64_t maxBytes);

// Replaces the file at Path with Bytes through a temporary file in the same folder, so a reader
// sees either the old file or the complete new one.
TPictureResult WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

// Decodes a PNG, JPEG or BMP picture, chosen by signature, into premultiplied ARGB.
TPictureResult DecodePicture(const uint8_t* data, size_t size, TBitmap32& bitmap,
                             const TDecodeLimits& limits = {});
TPictureResult LoadPictureFile(const std::string& path, TBitmap32& bitmap,
                               const TDecodeLimits& limits = {});

// The size of a Width x Height picture fitted proportionally into a BoxWidth x BoxHeight box,
// never enlarged and never below 1 x 1; (0, 0) for an empty picture or box.
TPoint FitIntoBox(int width, int height, int boxWidth, int boxHeight);

}  // namespace gfx
