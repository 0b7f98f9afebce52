#include "gfx/IcoCodec.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "gfx/BmpCodec.h"
#include "gfx/LittleEndian.h"
#include "gfx/PngCodec.h"

namespace gfx {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

TPictureResult Failure(TBitmap32& bitmap, TPictureError error, const std::string& message) {
  bitmap.SetSize(0, 0);
  return PictureFailure(error, "ICO: " + message);
}

// An entry's place in the file, with what it says about the image.
struct TPlacedEntry {
  TIconEntry Entry;
  uint32_t Size = 0;
  uint32_t Offset = 0;
};

TPictureResult ReadDirectory(const uint8_t* data, size_t size, std::vector<TPlacedEntry>& out) {
  // Reserved 0, then type 1 (an icon, not a cursor); a file cut inside them is only short.
  static const uint8_t signature[4] = {0, 0, 1, 0};
  for (size_t i = 0; i < std::min(size, sizeof signature); ++i)
    if (data[i] != signature[i])
      return PictureFailure(TPictureError::peUnsupported, "not an icon file");
  if (size < kHeaderSize) return PictureFailure(TPictureError::peTruncated, "header cut short");
  const size_t count = Read16Le(data + 4);
  if (count == 0) return PictureFailure(TPictureError::peCorrupt, "no images");
  const size_t directoryEnd = kHeaderSize + count * kEntrySize;
  if (directoryEnd > size)
    return PictureFailure(TPictureError::peTruncated,
                          std::to_string(count) + " images do not fit into the file");
  out.clear();
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = data + kHeaderSize + i * kEntrySize;
    const TPlacedEntry placed{IconEntryOf(e[0], e[1], e[2], Read16Le(e + 6)), Read32Le(e + 8),
                              Read32Le(e + 12)};
    const std::string which = "image " + std::to_string(i + 1) + ": ";
    if (placed.Size == 0) return PictureFailure(TPictureError::peCorrupt, which + "no data");
    if (placed.Offset < directoryEnd)
      return PictureFailure(TPictureError::peCorrupt, which + "data inside the directory");
    if (placed.Offset > size || size - placed.Offset < placed.Size)
      return PictureFailure(TPictureError::peTruncated, which + "data beyond the end of the file");
    out.push_back(placed);
  }
  return {};
}

// Whether an entry of this size shows a request without enlarging.
bool Covers(const TIconEntry& e, int wantWidth, int wantHeight) {
  return e.Width >= wantWidth && e.Height >= wantHeight;
}

// Whether A shows the request better than B.
bool Better(const TIconEntry& a, const TIconEntry& b, int wantWidth, int wantHeight) {
  const bool aCovers = Covers(a, wantWidth, wantHeight), bCovers = Covers(b, wantWidth, wantHeight);
  if (aCovers != bCovers) return aCovers;
  const int64_t aArea = int64_t{a.Width} * a.Height, bArea = int64_t{b.Width} * b.Height;
  if (aArea != bArea) return aCovers ? aArea < bArea : aArea > bArea;
  return a.Depth > b.Depth;
}

}  // namespace

TIconEntry IconEntryOf(uint8_t width, uint8_t height, uint8_t colourCount, uint16_t bitCount) {
  const int depth = bitCount != 0    ? bitCount
                    : colourCount == 0 ? 8
                                       : int(std::bit_width(unsigned(colourCount) - 1u));
  return {width == 0 ? 256 : width, height == 0 ? 256 : height, depth};
}

int ChooseIconEntry(const std::vector<TIconEntry>& entries, int wantWidth, int wantHeight) {
  // Nothing covers a request beyond every entry, so the largest wins.
  if (wantWidth <= 0 && wantHeight <= 0) wantWidth = wantHeight = INT32_MAX;
  int best = -1;
  for (size_t i = 0; i < entries.size(); ++i)
    if (best < 0 || Better(entries[i], entries[size_t(best)], wantWidth, wantHeight))
      best = int(i);
  return best;
}

TPictureResult DecodeIconImage(const uint8_t* data, size_t size, TBitmap32& bitmap,
                               const TDecodeLimits& limits) {
  if (size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0)
    return DecodePng(data, size, bitmap, limits);
  return DecodeIconBitmap(data, size, bitmap, limits);
}

TPictureResult DecodeIco(const uint8_t* data, size_t size, int wantWidth, int wantHeight,
                         TBitmap32& bitmap, const TDecodeLimits& limits) {
  bitmap.SetSize(0, 0);
  std::vector<TPlacedEntry> placed;
  if (TPictureResult r = ReadDirectory(data, size, placed); !r)
    return Failure(bitmap, r.Error, r.Message);
  std::vector<TIconEntry> entries;
  for (const TPlacedEntry& p : placed) entries.push_back(p.Entry);
  const int chosen = ChooseIconEntry(entries, wantWidth, wantHeight);
  const TPlacedEntry& image = placed[size_t(chosen)];
  // What the directory declares counts as well as what the image's own header says.
  TPictureResult result = CheckPixelBudget(image.Entry.Width, image.Entry.Height, limits);
  if (result) result = DecodeIconImage(data + image.Offset, image.Size, bitmap, limits);
  if (!result)
    return Failure(bitmap, result.Error,
                   "image " + std::to_string(chosen + 1) + ": " + result.Message);
  return result;
}

}  // namespace gfx
