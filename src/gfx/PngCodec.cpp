#include "gfx/PngCodec.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include "gfx/PictureIo.h"

namespace gfx {

namespace {

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

uint32_t ReadBigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

struct TPngSource {
  const uint8_t* Data = nullptr;
  size_t Size = 0;
  size_t Position = 0;
  bool RanOut = false;
};

// libpng reports a fatal error by jumping back to the setjmp of the guarded step below that
// called into it. The jump skips only libpng's frames, the callbacks and the step's own frame,
// none of which holds anything with a destructor; the job itself lives in the caller.
struct TPngJob {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  TPngSource Source;
  bool WantsText = false;
  char Message[160] = {};

  TPngJob() = default;
  ~TPngJob() { png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr); }
  TPngJob(const TPngJob&) = delete;
  TPngJob& operator=(const TPngJob&) = delete;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
  TPngSource& source = *static_cast<TPngSource*>(png_get_io_ptr(png));
  if (count > source.Size - source.Position) {
    source.RanOut = true;
    png_error(png, "the data ends before the picture");
  }
  std::memcpy(out, source.Data + source.Position, count);
  source.Position += count;
}

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  TPngJob& job = *static_cast<TPngJob*>(png_get_error_ptr(png));
  std::snprintf(job.Message, sizeof job.Message, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// The guarded steps; each returns false when libpng gave up, with the reason in the job.

bool ReadHeaderStep(TPngJob& job) {
  if (setjmp(png_jmpbuf(job.Png))) return false;
  // The pixel budget decides about sizes, not libpng's default limit of a million a side.
  png_set_user_limits(job.Png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  // Text (unless asked for), colour space and every other ancillary chunk are skipped unread;
  // only the transparency chunk matters to the pixels. Every picture counts as sRGB.
  png_set_keep_unknown_chunks(job.Png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  if (job.WantsText) {
    // Asked for, the text chunks go to libpng's own readers again, which check and inflate them.
    static constexpr png_byte kTextChunks[] = "tEXt\0zTXt\0iTXt";
    png_set_keep_unknown_chunks(job.Png, PNG_HANDLE_CHUNK_AS_DEFAULT, kTextChunks, 3);
    // libpng stores no more ancillary chunks than this (its count runs two ahead), so a file of
    // endless text costs the time to step over it but no memory.
    png_set_chunk_cache_max(job.Png, png_uint_32(kMaxPngTexts + 2));
    png_set_benign_errors(job.Png, 1);
  }
  png_read_info(job.Png, job.Info);
  return true;
}

// Any colour type and depth becomes 8-bit samples in the byte order of a TColor32.
bool SetOutputStep(TPngJob& job) {
  if (setjmp(png_jmpbuf(job.Png))) return false;
  png_set_expand(job.Png);
  png_set_scale_16(job.Png);
  png_set_gray_to_rgb(job.Png);
  if (kLittleEndian) {
    png_set_bgr(job.Png);
    png_set_filler(job.Png, 0xFF, PNG_FILLER_AFTER);
  } else {
    png_set_swap_alpha(job.Png);
    png_set_filler(job.Png, 0xFF, PNG_FILLER_BEFORE);
  }
  png_set_interlace_handling(job.Png);
  png_read_update_info(job.Png, job.Info);
  return true;
}

bool ReadRowsStep(TPngJob& job, png_bytepp rows) {
  if (setjmp(png_jmpbuf(job.Png))) return false;
  // What follows the image data (the end chunk and anything after it) is not read.
  png_read_image(job.Png, rows);
  return true;
}

// The chunks after the image data, for their text; the end chunk is the last read.
bool ReadEndStep(TPngJob& job) {
  if (setjmp(png_jmpbuf(job.Png))) return false;
  png_read_end(job.Png, job.Info);
  return true;
}

std::string Latin1ToUtf8(const char* text, size_t length) {
  std::string utf8;
  utf8.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      utf8 += char(c);
    } else {
      utf8 += char(0xC0 | c >> 6);
      utf8 += char(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

// The pairs libpng gathered, within the count and byte caps.
std::vector<TPngText> CollectTexts(const TPngJob& job) {
  png_textp chunks = nullptr;
  int count = 0;
  png_get_text(job.Png, job.Info, &chunks, &count);
  std::vector<TPngText> texts;
  size_t bytes = 0;
  for (int i = 0; i < count && texts.size() < kMaxPngTexts; ++i) {
    const png_text& chunk = chunks[i];
    const bool international = chunk.compression >= PNG_ITXT_COMPRESSION_NONE;
    const size_t length = international ? chunk.itxt_length : chunk.text_length;
    TPngText text{Latin1ToUtf8(chunk.key, std::strlen(chunk.key)),
                  international ? std::string(chunk.text ? chunk.text : "", length)
                                : Latin1ToUtf8(chunk.text ? chunk.text : "", length)};
    if (bytes + text.Key.size() + text.Value.size() > kMaxPngTextBytes) continue;
    bytes += text.Key.size() + text.Value.size();
    texts.push_back(std::move(text));
  }
  return texts;
}

// The simplified writing interface keeps its error jumps inside libpng, so this may live on our
// stack; it releases libpng's state however encoding ends.
class TPngImage {
 public:
  TPngImage() {
    std::memset(&Image, 0, sizeof Image);
    Image.version = PNG_IMAGE_VERSION;
  }
  ~TPngImage() { png_image_free(&Image); }
  TPngImage(const TPngImage&) = delete;
  TPngImage& operator=(const TPngImage&) = delete;

  png_image Image;
};

TPictureResult Failure(TBitmap32& bitmap, TPictureError error, const std::string& message) {
  bitmap.SetSize(0, 0);
  return PictureFailure(error, "PNG: " + message);
}

// Whether libpng failed because the data stops early: the chunk chain runs off the end before
// IEND. A chain that reaches IEND, or has an impossible length, is corrupt instead.
TPictureError FailureKind(const uint8_t* data, size_t size) {
  size_t pos = 8;
  while (size - pos >= 12) {
    const uint32_t length = ReadBigEndian32(data + pos);
    if (length > 0x7FFFFFFFu) return TPictureError::peCorrupt;
    if (length > size - pos - 12) return TPictureError::peTruncated;
    if (std::memcmp(data + pos + 4, "IEND", 4) == 0) return TPictureError::peCorrupt;
    pos += 12 + size_t(length);
  }
  return TPictureError::peTruncated;
}

// The budget is checked on the raw IHDR before libpng allocates anything.
TPictureResult CheckDeclaredSize(const uint8_t* data, size_t size, const TDecodeLimits& limits) {
  if (size < 24 || std::memcmp(data + 12, "IHDR", 4) != 0) return {};
  TPictureResult result =
      CheckPixelBudget(ReadBigEndian32(data + 16), ReadBigEndian32(data + 20), limits);
  // libpng gives the better account of a zero size.
  return result.Error == TPictureError::peTooLarge ? result : TPictureResult{};
}

void Premultiply(TBitmap32& bitmap) {
  TColor32* p = bitmap.Bits();
  TColor32* end = p + size_t(bitmap.Width()) * size_t(bitmap.Height());
  for (; p != end; ++p) {
    const uint8_t a = AlphaOf(*p);
    if (a != 255) *p = Color32(RedOf(*p), GreenOf(*p), BlueOf(*p), a);
  }
}

bool IsOpaque(const TBitmap32& bitmap) {
  const TColor32* p = bitmap.Bits();
  const TColor32* end = p + size_t(bitmap.Width()) * size_t(bitmap.Height());
  for (; p != end; ++p)
    if (AlphaOf(*p) != 255) return false;
  return true;
}

// Straight R, G, B (and A) bytes, the order libpng writes without transformation.
std::vector<uint8_t> StraightSamples(const TBitmap32& bitmap, bool withAlpha) {
  const size_t channels = withAlpha ? 4 : 3;
  std::vector<uint8_t> samples(size_t(bitmap.Width()) * size_t(bitmap.Height()) * channels);
  uint8_t* out = samples.data();
  const TColor32* p = bitmap.Bits();
  for (size_t i = 0, n = size_t(bitmap.Width()) * size_t(bitmap.Height()); i < n; ++i, ++p) {
    const uint8_t a = AlphaOf(*p);
    out[0] = Unpremultiply(RedOf(*p), a);
    out[1] = Unpremultiply(GreenOf(*p), a);
    out[2] = Unpremultiply(BlueOf(*p), a);
    if (withAlpha) out[3] = a;
    out += channels;
  }
  return samples;
}

// The checksum of a chunk's type and data (the CRC-32 of ISO 3309, as in zlib).
uint32_t ChunkCrc(const uint8_t* p, size_t size) {
  static const std::array<uint32_t, 256> kTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    return table;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = kTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void AppendBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

void AppendChunk(std::vector<uint8_t>& out, const char (&type)[5], const std::string& data) {
  AppendBigEndian32(out, uint32_t(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  AppendBigEndian32(out, ChunkCrc(out.data() + start, out.size() - start));
}

// 1 to 79 printable Latin-1 characters with no leading, trailing or double space, here ASCII.
bool IsValidKey(const std::string& key) {
  if (key.empty() || key.size() > 79 || key.front() == ' ' || key.back() == ' ') return false;
  for (size_t i = 0; i < key.size(); ++i)
    if (key[i] < ' ' || key[i] > '~' || (key[i] == ' ' && key[i + 1] == ' ')) return false;
  return true;
}

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c > 0; });
}

// The text chunks for Texts, or nothing (and false) when one cannot be written.
bool TextChunks(const std::vector<TPngText>& texts, std::vector<uint8_t>& chunks) {
  for (const TPngText& text : texts) {
    if (!IsValidKey(text.Key) || text.Value.find('\0') != std::string::npos) return false;
    if (IsAscii(text.Value)) {
      AppendChunk(chunks, "tEXt", text.Key + '\0' + text.Value);
    } else {
      // Not compressed, with neither language nor translated keyword.
      AppendChunk(chunks, "iTXt", text.Key + std::string("\0\0\0\0\0", 5) + text.Value);
    }
  }
  return true;
}

TPictureResult DecodeWithJob(TPngJob& job, const uint8_t* data, size_t size, TBitmap32& bitmap,
                             const TDecodeLimits& limits) {
  bitmap.SetSize(0, 0);
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
    return Failure(bitmap, TPictureError::peUnsupported, "not a PNG picture");
  if (TPictureResult r = CheckDeclaredSize(data, size, limits); !r)
    return Failure(bitmap, r.Error, r.Message);

  job.Source = {data, size, 0, false};
  job.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
  job.Info = job.Png ? png_create_info_struct(job.Png) : nullptr;
  if (!job.Info) return Failure(bitmap, TPictureError::peTooLarge, "not enough memory");
  png_set_read_fn(job.Png, &job.Source, ReadFromMemory);
  auto libraryFailure = [&] {
    return Failure(bitmap, job.Source.RanOut ? TPictureError::peTruncated : FailureKind(data, size),
                   job.Message);
  };

  if (!ReadHeaderStep(job)) return libraryFailure();
  const png_uint_32 width = png_get_image_width(job.Png, job.Info);
  const png_uint_32 height = png_get_image_height(job.Png, job.Info);
  if (TPictureResult r = CheckPixelBudget(width, height, limits); !r)
    return Failure(bitmap, r.Error, r.Message);
  const bool hasAlpha = (png_get_color_type(job.Png, job.Info) & PNG_COLOR_MASK_ALPHA) != 0 ||
                        png_get_valid(job.Png, job.Info, PNG_INFO_tRNS) != 0;
  if (!SetOutputStep(job)) return libraryFailure();
  if (png_get_rowbytes(job.Png, job.Info) != size_t(width) * 4)
    return Failure(bitmap, TPictureError::peUnsupported, "unexpected sample layout");

  if (!bitmap.SetSize(int(width), int(height)))
    return Failure(bitmap, TPictureError::peTooLarge, "not enough memory");
  std::vector<png_bytep> rows;
  try {
    rows.resize(height);
  } catch (const std::bad_alloc&) {
    return Failure(bitmap, TPictureError::peTooLarge, "not enough memory");
  }
  for (png_uint_32 y = 0; y < height; ++y)
    rows[y] = reinterpret_cast<png_bytep>(bitmap.ScanLine(int(y)));
  if (!ReadRowsStep(job, rows.data())) return libraryFailure();
  if (hasAlpha) Premultiply(bitmap);
  return {};
}

}  // namespace

TPictureResult DecodePng(const uint8_t* data, size_t size, TBitmap32& bitmap,
                         const TDecodeLimits& limits) {
  TPngJob job;
  return DecodeWithJob(job, data, size, bitmap, limits);
}

TPictureResult DecodePng(const uint8_t* data, size_t size, TBitmap32& bitmap,
                         std::vector<TPngText>& texts, const TDecodeLimits& limits) {
  texts.clear();
  TPngJob job;
  job.WantsText = true;
  TPictureResult result = DecodeWithJob(job, data, size, bitmap, limits);
  if (!result) return result;
  ReadEndStep(job);  // what it could not read is only text
  try {
    texts = CollectTexts(job);
  } catch (const std::bad_alloc&) {
    texts.clear();
  }
  return result;
}

std::vector<uint8_t> EncodePng(const TBitmap32& bitmap, const std::vector<TPngText>& texts) {
  if (bitmap.Empty()) return {};
  try {
    std::vector<uint8_t> chunks;
    if (!TextChunks(texts, chunks)) return {};
    const bool withAlpha = !IsOpaque(bitmap);
    const std::vector<uint8_t> samples = StraightSamples(bitmap, withAlpha);
    TPngImage png;
    png_image& image = png.Image;
    image.width = png_uint_32(bitmap.Width());
    image.height = png_uint_32(bitmap.Height());
    image.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    // Compressing once into a buffer of the worst-case size beats measuring first.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    std::vector<uint8_t> file(size);
    if (!png_image_write_to_memory(&image, file.data(), &size, 0, samples.data(), 0, nullptr))
      return {};
    file.resize(size);
    // Text may stand anywhere between the header and the end; right after the header it is
    // found without reading past the image data.
    constexpr size_t kAfterHeader = 8 + 8 + 13 + 4;
    if (!chunks.empty()) {
      if (size < kAfterHeader || std::memcmp(file.data() + 12, "IHDR", 4) != 0) return {};
      file.insert(file.begin() + kAfterHeader, chunks.begin(), chunks.end());
    }
    return file;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

TPictureResult SavePngFile(const TBitmap32& bitmap, const std::string& path,
                           const std::vector<TPngText>& texts) {
  const std::vector<uint8_t> file = EncodePng(bitmap, texts);
  if (file.empty())
    return PictureFailure(TPictureError::peWriteFailed,
                          path + ": " + (bitmap.Empty() ? "empty picture" : "PNG encoding failed"));
  return WriteFileAtomically(path, file);
}

}  // namespace gfx
