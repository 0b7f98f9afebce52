// PNG pictures: every colour type, bit depth and interlacing in, 8-bit RGB or RGBA out, and
// the key/value pairs of text chunks both ways.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/Bitmap32.h"
#include "gfx/PictureTypes.h"

namespace gfx {

// One text chunk: a keyword and its text, both UTF-8 here. In the file a plain or compressed
// text chunk holds Latin-1 and is converted on reading; an international one holds UTF-8.
struct TPngText {
  std::string Key;
  std::string Value;
  bool operator==(const TPngText&) const = default;
};

// What decoding keeps of a file's text at most: the first pairs in file order that fit both
// the count and the bytes of keys and values together; the others are skipped, however many
// the file holds.
inline constexpr size_t kMaxPngTexts = 64;
inline constexpr size_t kMaxPngTextBytes = 64 * 1024;

// Decodes into premultiplied ARGB, 16-bit samples rounded to 8. Colour space chunks are not
// applied: every picture counts as sRGB.
TPictureResult DecodePng(const uint8_t* data, size_t size, TBitmap32& bitmap,
                         const TDecodeLimits& limits = {});
// The same, also giving the text chunks before and after the image data (Texts is empty after
// a failure). Damage after the image data ends the text there but not the picture.
TPictureResult DecodePng(const uint8_t* data, size_t size, TBitmap32& bitmap,
                         std::vector<TPngText>& texts, const TDecodeLimits& limits = {});

// The bitmap as a PNG file with straight alpha, or as RGB when every pixel is opaque, with a
// text chunk for each of Texts right after the header (plain text when the value is ASCII,
// international text otherwise). Empty for an empty bitmap, and for a key the format does not
// take (not 1 to 79 printable ASCII characters, spaces only single and inside) or a value
// holding a NUL.
std::vector<uint8_t> EncodePng(const TBitmap32& bitmap, const std::vector<TPngText>& texts = {});

// Writes EncodePng's result, replacing Path atomically.
TPictureResult SavePngFile(const TBitmap32& bitmap, const std::string& path,
                           const std::vector<TPngText>& texts = {});

}  // namespace gfx
