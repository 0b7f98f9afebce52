#include "gfx/JpegCodec.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <csetjmp>
#include <cstring>
// clang-format off
#include <cstddef>  // jpeglib.h expects size_t and FILE to be declared before it
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>
// clang-format on
#include <new>
#include <vector>

#include "gfx/Draw.h"
#include "gfx/PictureIo.h"

namespace gfx {

namespace {

// A progressive file needs a handful of scans; thousands of tiny ones only burn time.
constexpr int kMaxScans = 500;

// How libjpeg's output rows become TColor32 words.
enum class TJpegOutput {
  joNative,  // libjpeg writes the ARGB32 memory layout itself
  joRgb,     // three bytes a pixel, widened afterwards
  joCmyk,    // four bytes a pixel, converted afterwards
};

#ifdef JCS_EXTENSIONS
constexpr J_COLOR_SPACE kNativeSpace =
    std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
constexpr TJpegOutput kColourOutput = TJpegOutput::joNative;
#else
constexpr J_COLOR_SPACE kNativeSpace = JCS_RGB;
constexpr TJpegOutput kColourOutput = TJpegOutput::joRgb;
#endif

// libjpeg reports a fatal error through error_exit, which must not return: it jumps back to the
// setjmp of the guarded step below that called into the library. Only libjpeg's C frames and the
// guarded step's own frame are skipped, and neither holds anything with a destructor.
struct TJpegErrors {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
  int Code;        // JERR_* of the fatal error
  bool RanOut;     // the data ended before the end marker; libjpeg invents one and carries on
  bool Starved;    // a scan needed bits its data did not have
  bool Unrefined;  // a progressive file ended between scans, before its finest one
  bool TooManyScans;
  char Message[JMSG_LENGTH_MAX];
};

// Plain C state for one decode; value-initialised, so destroying it is safe at any stage.
struct TJpegJob {
  jpeg_decompress_struct Info;
  TJpegErrors Errors;
  jpeg_progress_mgr Progress;

  TJpegJob() : Info(), Errors(), Progress() {}
  ~TJpegJob() { jpeg_destroy_decompress(&Info); }
  TJpegJob(const TJpegJob&) = delete;
  TJpegJob& operator=(const TJpegJob&) = delete;
};

TJpegErrors& ErrorsOf(j_common_ptr info) { return *reinterpret_cast<TJpegErrors*>(info->err); }

[[noreturn]] void OnFatalError(j_common_ptr info) {
  TJpegErrors& errors = ErrorsOf(info);
  errors.Code = errors.Pub.msg_code;
  (*errors.Pub.format_message)(info, errors.Message);
  std::longjmp(errors.Jump, 1);
}

// Warnings are counted, never printed; only the early end of the data matters to the result.
void OnMessage(j_common_ptr info, int level) {
  TJpegErrors& errors = ErrorsOf(info);
  if (level >= 0) return;
  ++errors.Pub.num_warnings;
  if (errors.Pub.msg_code == JWRN_JPEG_EOF) errors.RanOut = true;
  if (errors.Pub.msg_code == JWRN_HIT_MARKER) errors.Starved = true;
}

// Running out of data alone is harmless: many files lack just their end marker, and the entropy
// decoder reads ahead. The picture is cut short only when a scan went without data, or when a
// progressive file stops before every coefficient has its last bit.
bool CutShort(const TJpegErrors& errors) {
  return errors.RanOut && (errors.Starved || errors.Unrefined);
}

bool EveryCoefficientRefined(const jpeg_decompress_struct& info) {
  if (!info.progressive_mode || !info.coef_bits) return true;
  for (int c = 0; c < info.num_components; ++c)
    for (int k = 0; k < DCTSIZE2; ++k)
      if (info.coef_bits[c][k] != 0) return false;
  return true;
}

void OnOutputMessage(j_common_ptr) {}

void OnProgress(j_common_ptr info) {
  if (!info->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number <= kMaxScans) return;
  TJpegErrors& errors = ErrorsOf(info);
  errors.TooManyScans = true;
  std::snprintf(errors.Message, sizeof errors.Message, "more than %d scans", kMaxScans);
  std::longjmp(errors.Jump, 1);
}

// The guarded steps. Each returns false when libjpeg gave up; the reason is in job.Errors.

bool OpenStep(TJpegJob& job, const uint8_t* data, size_t size, long maxMemory) {
  job.Info.err = jpeg_std_error(&job.Errors.Pub);
  job.Errors.Pub.error_exit = OnFatalError;
  job.Errors.Pub.emit_message = OnMessage;
  job.Errors.Pub.output_message = OnOutputMessage;
  if (setjmp(job.Errors.Jump)) return false;
  jpeg_create_decompress(&job.Info);
  job.Info.mem->max_memory_to_use = maxMemory;
  job.Progress.progress_monitor = OnProgress;
  job.Info.progress = &job.Progress;
  jpeg_mem_src(&job.Info, data, (unsigned long)size);
  jpeg_read_header(&job.Info, TRUE);
  return true;
}

bool ConfigureStep(TJpegJob& job, int scaleDenom, J_COLOR_SPACE outSpace) {
  if (setjmp(job.Errors.Jump)) return false;
  job.Info.scale_num = 1;
  job.Info.scale_denom = (unsigned int)scaleDenom;
  job.Info.dct_method = JDCT_IFAST;
  job.Info.out_color_space = outSpace;
  jpeg_calc_output_dimensions(&job.Info);
  return true;
}

// Stops as soon as the data runs out: the rest of the picture would only be invented.
bool DecodeStep(TJpegJob& job, JSAMPROW* rows) {
  if (setjmp(job.Errors.Jump)) return false;
  jpeg_start_decompress(&job.Info);
  // A progressive file has been read to its end by now.
  job.Errors.Unrefined = !EveryCoefficientRefined(job.Info);
  while (job.Info.output_scanline < job.Info.output_height && !CutShort(job.Errors)) {
    const JDIMENSION line = job.Info.output_scanline;
    if (jpeg_read_scanlines(&job.Info, rows + line, job.Info.output_height - line) == 0) {
      std::snprintf(job.Errors.Message, sizeof job.Errors.Message, "decoding stalled");
      return false;
    }
  }
  if (CutShort(job.Errors)) {
    std::snprintf(job.Errors.Message, sizeof job.Errors.Message,
                  "the data ends before the picture");
    return false;
  }
  // The rest of the file (up to the end marker) is not needed and not read.
  return true;
}

// The memory libjpeg may take: whole-picture coefficient buffers of progressive files need up
// to 8 bytes a pixel at four components.
long MemoryCap(const TDecodeLimits& limits) {
  const int64_t pixels = std::min(limits.MaxPixels, TBitmap32::kMaxPixels);
  const int64_t bytes = std::max<int64_t>(pixels, 0) * 8 + (int64_t{16} << 20);
  return long(std::min<int64_t>(bytes, LONG_MAX));
}

TPictureError ErrorKind(const TJpegErrors& errors) {
  if (errors.TooManyScans) return TPictureError::peCorrupt;
  switch (errors.Code) {
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE:
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
      return TPictureError::peTooLarge;
    case JERR_CONVERSION_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_ARITH_NOTIMPL:
    case JERR_BAD_PRECISION:
      return TPictureError::peUnsupported;
    default:
      break;
  }
  return errors.RanOut ? TPictureError::peTruncated : TPictureError::peCorrupt;
}

TPictureResult Failure(TBitmap32& bitmap, TPictureError error, const std::string& message) {
  bitmap.SetSize(0, 0);
  return PictureFailure(error, "JPEG: " + message);
}

TPictureResult LibraryFailure(TBitmap32& bitmap, const TJpegJob& job) {
  return Failure(bitmap, ErrorKind(job.Errors), job.Errors.Message);
}

// Adobe's writers store inverted inks (255 = none), the only kind most files carry; others store
// plain inks. Either way the light a channel leaves is its ink's remainder times black's.
void CmykToArgb(TBitmap32& bitmap, bool inverted) {
  const uint32_t flip = inverted ? 0 : 255;
  for (int y = 0; y < bitmap.Height(); ++y) {
    TColor32* row = bitmap.ScanLine(y);
    const uint8_t* ink = reinterpret_cast<const uint8_t*>(row);
    for (int x = 0; x < bitmap.Width(); ++x, ink += 4) {
      const uint32_t k = ink[3] ^ flip;
      row[x] = 0xFF000000u | MulDiv255(ink[0] ^ flip, k) << 16 | MulDiv255(ink[1] ^ flip, k) << 8 |
               MulDiv255(ink[2] ^ flip, k);
    }
  }
}

// Widens packed RGB at the start of each row into TColor32 words, from the right end so that
// no byte is overwritten before it is read.
void RgbToArgb(TBitmap32& bitmap) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    TColor32* row = bitmap.ScanLine(y);
    const uint8_t* rgb = reinterpret_cast<const uint8_t*>(row);
    for (int x = bitmap.Width() - 1; x >= 0; --x) {
      const uint8_t* p = rgb + size_t(x) * 3;
      const TColor32 c = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
      row[x] = c;
    }
  }
}

bool ValidScale(int scaleDenom) {
  return scaleDenom == 1 || scaleDenom == 2 || scaleDenom == 4 || scaleDenom == 8;
}

bool HasJpegSignature(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

// Colour pictures come out as TColor32 words; inks come out as they are, for CmykToArgb.
bool ChooseOutput(J_COLOR_SPACE stored, J_COLOR_SPACE& outSpace, TJpegOutput& output) {
  switch (stored) {
    case JCS_GRAYSCALE:
    case JCS_RGB:
    case JCS_YCbCr:
      outSpace = kNativeSpace;
      output = kColourOutput;
      return true;
    case JCS_CMYK:
    case JCS_YCCK:
      outSpace = JCS_CMYK;
      output = TJpegOutput::joCmyk;
      return true;
    default:
      return false;
  }
}

// libjpeg writes every scanline straight into the bitmap.
bool RowPointers(TBitmap32& bitmap, std::vector<JSAMPROW>& rows) {
  try {
    rows.resize(size_t(bitmap.Height()));
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int y = 0; y < bitmap.Height(); ++y)
    rows[size_t(y)] = reinterpret_cast<JSAMPROW>(bitmap.ScanLine(y));
  return true;
}

// The scale follows from the header: fixed, or (ScaleDenom 0) chosen for a thumbnail box.
struct TScaleRequest {
  int ScaleDenom = 1;
  int BoxWidth = 0;
  int BoxHeight = 0;
};

// Declared (if given) receives the full size from the header.
TPictureResult Decode(const uint8_t* data, size_t size, TBitmap32& bitmap,
                      const TScaleRequest& request, const TDecodeLimits& limits,
                      TPoint* declared = nullptr) {
  bitmap.SetSize(0, 0);
  if (!HasJpegSignature(data, size))
    return Failure(bitmap, TPictureError::peUnsupported, "not a JPEG picture");
  TJpegJob job;
  if (!OpenStep(job, data, size, MemoryCap(limits))) return LibraryFailure(bitmap, job);
  const jpeg_decompress_struct& info = job.Info;
  if (TPictureResult r = CheckPixelBudget(info.image_width, info.image_height, limits); !r)
    return Failure(bitmap, r.Error, r.Message);
  if (declared) *declared = {int(info.image_width), int(info.image_height)};

  J_COLOR_SPACE outSpace = kNativeSpace;
  TJpegOutput output = kColourOutput;
  if (!ChooseOutput(info.jpeg_color_space, outSpace, output))
    return Failure(bitmap, TPictureError::peUnsupported, "unknown colour space");
  const int scale = request.ScaleDenom != 0
                        ? request.ScaleDenom
                        : JpegScaleForBox(int(info.image_width), int(info.image_height),
                                          request.BoxWidth, request.BoxHeight);
  if (!ConfigureStep(job, scale, outSpace)) return LibraryFailure(bitmap, job);
  if (!bitmap.SetSize(int(info.output_width), int(info.output_height)))
    return Failure(bitmap, TPictureError::peTooLarge, "not enough memory");

  std::vector<JSAMPROW> rows;
  if (!RowPointers(bitmap, rows))
    return Failure(bitmap, TPictureError::peTooLarge, "not enough memory");
  if (!DecodeStep(job, rows.data())) return LibraryFailure(bitmap, job);

  if (output == TJpegOutput::joCmyk)
    CmykToArgb(bitmap, info.saw_Adobe_marker != 0);
  else if (output == TJpegOutput::joRgb)
    RgbToArgb(bitmap);
  return {};
}

}  // namespace

TPictureResult ReadJpegSize(const uint8_t* data, size_t size, int& width, int& height) {
  width = height = 0;
  if (!HasJpegSignature(data, size))
    return PictureFailure(TPictureError::peUnsupported, "JPEG: not a JPEG picture");
  TJpegJob job;
  if (!OpenStep(job, data, size, MemoryCap(TDecodeLimits{})))
    return PictureFailure(ErrorKind(job.Errors), std::string("JPEG: ") + job.Errors.Message);
  width = int(job.Info.image_width);
  height = int(job.Info.image_height);
  return {};
}

TPictureResult DecodeJpeg(const uint8_t* data, size_t size, TBitmap32& bitmap, int scaleDenom,
                          const TDecodeLimits& limits) {
  if (!ValidScale(scaleDenom)) {
    bitmap.SetSize(0, 0);
    return PictureFailure(TPictureError::peUnsupported, "JPEG: scale must be 1, 2, 4 or 8");
  }
  return Decode(data, size, bitmap, {scaleDenom, 0, 0}, limits);
}

int JpegScaleForBox(int width, int height, int boxWidth, int boxHeight) {
  const TPoint target = FitIntoBox(width, height, boxWidth, boxHeight);
  for (int denom : {8, 4, 2}) {
    // libjpeg rounds scaled sizes up.
    const int64_t w = (int64_t{width} + denom - 1) / denom;
    const int64_t h = (int64_t{height} + denom - 1) / denom;
    if (w >= target.X && h >= target.Y) return denom;
  }
  return 1;
}

TPictureResult LoadScaledJpeg(const uint8_t* data, size_t size, int boxWidth, int boxHeight,
                              TBitmap32& bitmap, const TDecodeLimits& limits) {
  if (boxWidth < 1 || boxHeight < 1) {
    bitmap.SetSize(0, 0);
    return PictureFailure(TPictureError::peUnsupported, "JPEG: the thumbnail box is empty");
  }
  TPoint full;
  TPictureResult result = Decode(data, size, bitmap, {0, boxWidth, boxHeight}, limits, &full);
  if (!result) return result;
  const TPoint target = FitIntoBox(full.X, full.Y, boxWidth, boxHeight);
  if (target.X == bitmap.Width() && target.Y == bitmap.Height()) return result;
  TBitmap32 fitted = Resampled(bitmap, target.X, target.Y);
  if (fitted.Empty()) return Failure(bitmap, TPictureError::peTooLarge, "not enough memory");
  bitmap.SwapPixels(fitted);
  return result;
}

TPictureResult LoadScaledJpeg(const std::string& path, int boxWidth, int boxHeight,
                              TBitmap32& bitmap, const TDecodeLimits& limits) {
  bitmap.SetSize(0, 0);
  std::vector<uint8_t> bytes;
  TPictureResult result = ReadWholeFile(path, bytes, limits.MaxFileBytes);
  if (!result) return result;
  result = LoadScaledJpeg(bytes.data(), bytes.size(), boxWidth, boxHeight, bitmap, limits);
  if (!result) result.Message = path + ": " + result.Message;
  return result;
}

}  // namespace gfx
