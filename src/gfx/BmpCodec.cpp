#include "gfx/BmpCodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <new>
#include <string>

#include "gfx/LittleEndian.h"
#include "gfx/PictureIo.h"

namespace gfx {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kLargestHeaderSize = 124;  // V5

void Write16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Write32(std::vector<uint8_t>& out, uint32_t v) {
  Write16(out, v & 0xFFFF);
  Write16(out, v >> 16);
}

// One colour channel of a bit-field pixel, scaled to 8 bits through a table. Masks of any width
// and position work; a mask wider than 8 bits is read by its top 8, which keeps the table small.
class TChannel {
 public:
  explicit TChannel(uint32_t mask) : FMask(mask) {
    if (mask == 0) return;
    FShift = std::countr_zero(mask);
    int span = std::bit_width(mask >> FShift);
    if (span > 8) {
      FDrop = span - 8;
      span = 8;
    }
    const uint32_t top = (1u << span) - 1;
    for (uint32_t v = 0; v <= top; ++v) FTable[v] = uint8_t((v * 255 + top / 2) / top);
  }

  bool Present() const { return FMask != 0; }
  uint8_t Of(uint32_t pixel) const {
    return FMask == 0 ? 0 : FTable[((pixel & FMask) >> FShift) >> FDrop];
  }

 private:
  uint32_t FMask;
  int FShift = 0;
  int FDrop = 0;
  std::array<uint8_t, 256> FTable{};
};

// Where the parts of a bitmap lie. A file starts with a 14-byte file header that gives the pixel
// offset. An icon image starts at the info header, its pixels follow the palette and its header
// height counts the rows of the 1-bit transparency mask after the pixels as well.
struct TDibForm {
  size_t HeaderAt;
  bool PixelOffsetInFile;
  bool MaskRows;
};
constexpr TDibForm kFileForm{kFileHeaderSize, true, false};
constexpr TDibForm kIconForm{0, false, true};

// What the headers say, checked against the data before any pixel is read.
struct TBmpLayout {
  int Width = 0;
  int Height = 0;
  bool TopDown = false;
  int BitCount = 0;
  bool Core = false;  // 12-byte header: 3-byte palette entries
  uint32_t Compression = kBiRgb;
  std::array<uint32_t, 4> Masks{};  // red, green, blue, alpha
  size_t PaletteOffset = 0;
  uint32_t PaletteCount = 0;
  size_t PixelOffset = 0;
  size_t Stride = 0;
  size_t MaskOffset = 0;  // icons: the transparency mask after the pixels
  size_t MaskStride = 0;
};

TPictureResult Failure(TBitmap32& bitmap, TPictureError error, const std::string& message) {
  bitmap.SetSize(0, 0);
  return PictureFailure(error, "BMP: " + message);
}

TPictureResult Problem(TPictureError error, const std::string& message) {
  return PictureFailure(error, message);
}

// Reads the size, depth and compression from either header family.
TPictureResult ReadGeometry(const uint8_t* data, size_t size, const TDibForm& form,
                            TBmpLayout& layout, uint32_t& headerSize, uint32_t& colorsUsed) {
  if (size < form.HeaderAt + 4) return Problem(TPictureError::peTruncated, "header cut short");
  headerSize = Read32Le(data + form.HeaderAt);
  if (headerSize != kCoreHeaderSize && (headerSize < kInfoHeaderSize || headerSize > 4096))
    return Problem(TPictureError::peUnsupported,
                   "unknown header size " + std::to_string(headerSize));
  if (size - form.HeaderAt < std::min(headerSize, kLargestHeaderSize))
    return Problem(TPictureError::peTruncated, "header cut short");
  const uint8_t* h = data + form.HeaderAt;
  int64_t height = 0;
  if (headerSize == kCoreHeaderSize) {
    layout.Core = true;
    layout.Width = Read16Le(h + 4);
    height = Read16Le(h + 6);
    layout.BitCount = Read16Le(h + 10);
    colorsUsed = 0;
  } else {
    layout.Width = int32_t(Read32Le(h + 4));
    height = int32_t(Read32Le(h + 8));
    layout.BitCount = Read16Le(h + 14);
    layout.Compression = Read32Le(h + 16);
    colorsUsed = Read32Le(h + 32);
  }
  layout.TopDown = height < 0;
  if (layout.Width <= 0 || height == 0 || height == INT32_MIN)
    return Problem(TPictureError::peCorrupt, "no pixels");
  if (form.MaskRows) height /= 2;
  if (height == 0) return Problem(TPictureError::peCorrupt, "no pixels above the mask");
  layout.Height = int(layout.TopDown ? -height : height);
  return {};
}

// The bit-field masks: in V2 and later headers, or right after a 40-byte one.
TPictureResult ReadMasks(const uint8_t* data, size_t size, const TDibForm& form,
                         uint32_t headerSize, TBmpLayout& layout, size_t& afterMasks) {
  afterMasks = form.HeaderAt + headerSize;
  const bool explicitMasks =
      layout.Compression == kBiBitfields || layout.Compression == kBiAlphaBitfields;
  if (!explicitMasks) {
    if (layout.BitCount == 16)
      layout.Masks = {0x7C00, 0x03E0, 0x001F, 0};
    else if (layout.BitCount == 32)
      layout.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    return {};
  }
  if (layout.BitCount != 16 && layout.BitCount != 32)
    return Problem(TPictureError::peCorrupt,
                   "bit-field masks on a " + std::to_string(layout.BitCount) + "-bit picture");
  const int count = layout.Compression == kBiAlphaBitfields || headerSize >= 56 ? 4 : 3;
  size_t at = form.HeaderAt + kInfoHeaderSize;
  if (headerSize == kInfoHeaderSize) afterMasks += size_t(count) * 4;
  if (size < at + size_t(count) * 4) return Problem(TPictureError::peTruncated, "masks cut short");
  for (int i = 0; i < count; ++i) layout.Masks[size_t(i)] = Read32Le(data + at + size_t(i) * 4);
  if (layout.Masks[0] == 0 && layout.Masks[1] == 0 && layout.Masks[2] == 0)
    return Problem(TPictureError::peCorrupt, "empty colour masks");
  return {};
}

TPictureResult ReadLayout(const uint8_t* data, size_t size, const TDibForm& form,
                          const TDecodeLimits& limits, TBmpLayout& layout) {
  uint32_t headerSize = 0, colorsUsed = 0;
  if (TPictureResult r = ReadGeometry(data, size, form, layout, headerSize, colorsUsed); !r)
    return r;
  // The budget comes first: a huge declared size is refused whatever else is wrong.
  if (TPictureResult r = CheckPixelBudget(layout.Width, layout.Height, limits); !r) return r;

  const uint32_t c = layout.Compression;
  if (c != kBiRgb && c != kBiBitfields && c != kBiAlphaBitfields)
    return Problem(TPictureError::peUnsupported, "compression " + std::to_string(c));
  const int bits = layout.BitCount;
  if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return Problem(TPictureError::peUnsupported, std::to_string(bits) + " bits a pixel");
  if (layout.Core && bits > 8 && bits != 24)
    return Problem(TPictureError::peCorrupt, std::to_string(bits) + " bits in a core header");

  size_t afterMasks = 0;
  if (TPictureResult r = ReadMasks(data, size, form, headerSize, layout, afterMasks); !r) return r;
  layout.PaletteOffset = afterMasks;
  const size_t entrySize = layout.Core ? 3 : 4;
  if (bits <= 8) {
    const uint32_t full = 1u << bits;
    layout.PaletteCount = colorsUsed == 0 || colorsUsed > full ? full : colorsUsed;
  }

  const uint32_t offset = form.PixelOffsetInFile ? Read32Le(data + 10) : 0;
  // Some writers leave the offset at 0; the pixels then follow the palette.
  layout.PixelOffset =
      offset != 0 ? offset : layout.PaletteOffset + size_t(layout.PaletteCount) * entrySize;
  // A core header has no entry count: the palette is what lies before the pixels.
  if (layout.PixelOffset >= layout.PaletteOffset)
    layout.PaletteCount = uint32_t(std::min<size_t>(
        layout.PaletteCount, (layout.PixelOffset - layout.PaletteOffset) / entrySize));
  const uint64_t rowBytes = (uint64_t(layout.Width) * uint64_t(bits) + 7) / 8;
  layout.Stride = size_t((rowBytes + 3) / 4 * 4);
  // The last row may lack its padding.
  const uint64_t needed = uint64_t(layout.PixelOffset) +
                          uint64_t(layout.Stride) * uint64_t(layout.Height - 1) + rowBytes;
  if (needed > size) return Problem(TPictureError::peTruncated, "pixel data cut short");
  if (!form.MaskRows) return {};
  const uint64_t maskRowBytes = (uint64_t(layout.Width) + 7) / 8;
  layout.MaskStride = size_t((maskRowBytes + 3) / 4 * 4);
  layout.MaskOffset = layout.PixelOffset + layout.Stride * size_t(layout.Height);
  const uint64_t maskEnd = uint64_t(layout.MaskOffset) +
                           uint64_t(layout.MaskStride) * uint64_t(layout.Height - 1) + maskRowBytes;
  if (maskEnd > size) return Problem(TPictureError::peTruncated, "transparency mask cut short");
  return {};
}

// The palette as opaque colours; entries the file does not hold stay black.
std::array<TColor32, 256> ReadPalette(const uint8_t* data, size_t size, const TBmpLayout& layout) {
  std::array<TColor32, 256> palette;
  palette.fill(clBlack32);
  const size_t entrySize = layout.Core ? 3 : 4;
  for (uint32_t i = 0; i < layout.PaletteCount; ++i) {
    const size_t at = layout.PaletteOffset + size_t(i) * entrySize;
    if (at > size || size - at < entrySize) break;
    palette[i] = Color32(data[at + 2], data[at + 1], data[at]);
  }
  return palette;
}

void DecodeIndexedRow(const uint8_t* row, int width, int bits,
                      const std::array<TColor32, 256>& palette, TColor32* out) {
  const unsigned mask = (1u << bits) - 1;
  for (int x = 0; x < width; ++x) {
    const size_t bit = size_t(x) * size_t(bits);
    const int shift = 8 - bits - int(bit & 7);
    out[x] = palette[(row[bit >> 3] >> shift) & mask];
  }
}

void DecodeRgbRow(const uint8_t* row, int width, TColor32* out) {
  for (int x = 0; x < width; ++x, row += 3)
    out[x] = 0xFF000000u | uint32_t(row[2]) << 16 | uint32_t(row[1]) << 8 | row[0];
}

struct TChannels {
  TChannel Red, Green, Blue, Alpha;
  explicit TChannels(const std::array<uint32_t, 4>& masks)
      : Red(masks[0]), Green(masks[1]), Blue(masks[2]), Alpha(masks[3]) {}
};

// Straight colours with the alpha the masks give; returns whether any alpha was non-zero.
bool DecodeFieldRow(const uint8_t* row, int width, int bits, const TChannels& ch, TColor32* out) {
  uint32_t anyAlpha = 0;
  for (int x = 0; x < width; ++x) {
    const uint32_t pixel = bits == 16 ? Read16Le(row + size_t(x) * 2) : Read32Le(row + size_t(x) * 4);
    const uint32_t a = ch.Alpha.Of(pixel);
    anyAlpha |= a;
    out[x] = a << 24 | uint32_t(ch.Red.Of(pixel)) << 16 | uint32_t(ch.Green.Of(pixel)) << 8 |
             ch.Blue.Of(pixel);
  }
  return anyAlpha != 0;
}

// Opaque unless the pixels carry alpha; premultiplies when they do.
void ApplyAlpha(TBitmap32& bitmap, bool opaque) {
  TColor32* p = bitmap.Bits();
  TColor32* end = p + size_t(bitmap.Width()) * size_t(bitmap.Height());
  if (opaque) {
    for (; p != end; ++p) *p |= 0xFF000000u;
    return;
  }
  for (; p != end; ++p) {
    const uint8_t a = AlphaOf(*p);
    if (a != 255) *p = Color32(RedOf(*p), GreenOf(*p), BlueOf(*p), a);
  }
}

// The stored row that holds picture row Y.
size_t StoredRow(const TBmpLayout& layout, int y) {
  return size_t(layout.TopDown ? y : layout.Height - 1 - y);
}

// Returns whether the picture took its alpha from the pixels; otherwise it is opaque.
bool DecodePixels(const uint8_t* data, size_t size, const TBmpLayout& layout, TBitmap32& bitmap) {
  const int bits = layout.BitCount;
  auto sourceRow = [&](int y) {
    return data + layout.PixelOffset + StoredRow(layout, y) * layout.Stride;
  };
  if (bits <= 8) {
    const std::array<TColor32, 256> palette = ReadPalette(data, size, layout);
    for (int y = 0; y < layout.Height; ++y)
      DecodeIndexedRow(sourceRow(y), layout.Width, bits, palette, bitmap.ScanLine(y));
    return false;
  }
  if (bits == 24) {
    for (int y = 0; y < layout.Height; ++y)
      DecodeRgbRow(sourceRow(y), layout.Width, bitmap.ScanLine(y));
    return false;
  }
  {
    const TChannels channels(layout.Masks);
    bool anyAlpha = false;
    for (int y = 0; y < layout.Height; ++y)
      anyAlpha |= DecodeFieldRow(sourceRow(y), layout.Width, bits, channels, bitmap.ScanLine(y));
    // Without bit fields the fourth byte of a 32-bit pixel is often just left zero: alpha counts
    // only when some pixel has it. An alpha mask the file declares is taken at its word.
    const bool implicitAlpha = layout.Compression == kBiRgb;
    const bool opaque = !channels.Alpha.Present() || (implicitAlpha && !anyAlpha);
    ApplyAlpha(bitmap, opaque);
    return !opaque;
  }
}

// Clears the pixels an icon's mask marks as transparent (bit set); the same 1-bit rows as an
// indexed picture, with a palette of keep-all and keep-nothing.
void ApplyIconMask(const uint8_t* data, const TBmpLayout& layout, TBitmap32& bitmap) {
  std::array<TColor32, 256> keep{};
  keep[0] = 0xFFFFFFFFu;
  std::vector<TColor32> row(size_t(layout.Width));
  for (int y = 0; y < layout.Height; ++y) {
    const uint8_t* stored = data + layout.MaskOffset + StoredRow(layout, y) * layout.MaskStride;
    DecodeIndexedRow(stored, layout.Width, 1, keep, row.data());
    TColor32* out = bitmap.ScanLine(y);
    for (int x = 0; x < layout.Width; ++x) out[x] &= row[size_t(x)];
  }
}

TPictureResult DecodeLaidOut(const uint8_t* data, size_t size, const TDibForm& form,
                             TBitmap32& bitmap, const TDecodeLimits& limits) {
  TBmpLayout layout;
  if (TPictureResult r = ReadLayout(data, size, form, limits, layout); !r)
    return Failure(bitmap, r.Error, r.Message);
  try {
    if (!bitmap.SetSize(layout.Width, layout.Height))
      return Failure(bitmap, TPictureError::peTooLarge, "not enough memory");
    const bool alpha = DecodePixels(data, size, layout, bitmap);
    if (form.MaskRows && !alpha) ApplyIconMask(data, layout, bitmap);
  } catch (const std::bad_alloc&) {
    return Failure(bitmap, TPictureError::peTooLarge, "not enough memory");
  }
  return {};
}

}  // namespace

TPictureResult DecodeBmp(const uint8_t* data, size_t size, TBitmap32& bitmap,
                         const TDecodeLimits& limits) {
  bitmap.SetSize(0, 0);
  if (size < 2 || data[0] != 'B' || data[1] != 'M')
    return Failure(bitmap, TPictureError::peUnsupported, "not a BMP picture");
  return DecodeLaidOut(data, size, kFileForm, bitmap, limits);
}

TPictureResult DecodeIconBitmap(const uint8_t* data, size_t size, TBitmap32& bitmap,
                                const TDecodeLimits& limits) {
  bitmap.SetSize(0, 0);
  return DecodeLaidOut(data, size, kIconForm, bitmap, limits);
}

std::vector<uint8_t> EncodeBmp(const TBitmap32& bitmap) {
  if (bitmap.Empty()) return {};
  const size_t pixelBytes = size_t(bitmap.Width()) * size_t(bitmap.Height()) * 4;
  const size_t offset = kFileHeaderSize + kV4HeaderSize;
  if (pixelBytes > UINT32_MAX - offset) return {};
  std::vector<uint8_t> out;
  try {
    out.reserve(offset + pixelBytes);
  } catch (const std::bad_alloc&) {
    return {};
  }
  out.push_back('B');
  out.push_back('M');
  Write32(out, uint32_t(offset + pixelBytes));
  Write32(out, 0);
  Write32(out, uint32_t(offset));

  Write32(out, kV4HeaderSize);
  Write32(out, uint32_t(bitmap.Width()));
  Write32(out, uint32_t(bitmap.Height()));  // positive: bottom-up, which every reader takes
  Write16(out, 1);                          // planes
  Write16(out, 32);
  Write32(out, kBiBitfields);
  Write32(out, uint32_t(pixelBytes));
  Write32(out, 2835);  // 72 dpi in pixels a metre
  Write32(out, 2835);
  Write32(out, 0);  // palette entries
  Write32(out, 0);
  for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) Write32(out, mask);
  Write32(out, 0x73524742);  // colour space 'sRGB'
  out.resize(offset);        // end points and gamma: unused with sRGB

  for (int y = bitmap.Height() - 1; y >= 0; --y) {
    const TColor32* row = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      const TColor32 c = row[x];
      const uint8_t a = AlphaOf(c);
      Write32(out, uint32_t(a) << 24 | uint32_t(Unpremultiply(RedOf(c), a)) << 16 |
                       uint32_t(Unpremultiply(GreenOf(c), a)) << 8 | Unpremultiply(BlueOf(c), a));
    }
  }
  return out;
}

TPictureResult SaveBmpFile(const TBitmap32& bitmap, const std::string& path) {
  const std::vector<uint8_t> file = EncodeBmp(bitmap);
  if (file.empty())
    return PictureFailure(TPictureError::peWriteFailed,
                          path + ": " + (bitmap.Empty() ? "empty picture" : "BMP encoding failed"));
  return WriteFileAtomically(path, file);
}

}  // namespace gfx
