// Block transfers, blending, fills and lines.
//
// The blending loop is the hottest code of the program (every control blends its skin onto the
// canvas on every paint), so it runs eight pixels at a time with AVX2 where the processor has it,
// else four with SSE2, and skips or copies runs of fully transparent or opaque source pixels. The
// vector and scalar paths use the same rounding (MulDiv255), so they give identical pixels.
#include "gfx/Draw.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "gfx/BlitClip.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define NORVO_HAVE_AVX2_PATH 1
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gfx {

namespace {

inline TColor32 ScalePixel(TColor32 c, uint32_t m) {
  return (MulDiv255(AlphaOf(c), m) << 24) | (MulDiv255(RedOf(c), m) << 16) |
         (MulDiv255(GreenOf(c), m) << 8) | MulDiv255(BlueOf(c), m);
}

inline uint32_t AddSat(uint32_t a, uint32_t b) { return std::min<uint32_t>(a + b, 255); }

#if defined(__SSE2__)
// x * y / 255 rounded, on eight 16-bit lanes holding byte values.
inline __m128i MulDiv255x8(__m128i x, __m128i y) {
  __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, y), _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Two pixels (as 16-bit lanes) blended: s + d * (255 - alpha(s)) / 255.
inline __m128i Over2(__m128i s, __m128i d) {
  __m128i a =
      _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
  __m128i inv = _mm_sub_epi16(_mm_set1_epi16(255), a);
  return _mm_add_epi16(s, MulDiv255x8(d, inv));
}

// Blends four pixels; returns the blended vector.
inline __m128i Over4(__m128i s, __m128i d, __m128i master, bool scale) {
  const __m128i zero = _mm_setzero_si128();
  __m128i slo = _mm_unpacklo_epi8(s, zero), shi = _mm_unpackhi_epi8(s, zero);
  if (scale) {
    slo = MulDiv255x8(slo, master);
    shi = MulDiv255x8(shi, master);
  }
  __m128i lo = Over2(slo, _mm_unpacklo_epi8(d, zero));
  __m128i hi = Over2(shi, _mm_unpackhi_epi8(d, zero));
  return _mm_packus_epi16(lo, hi);
}
#endif

#if defined(NORVO_HAVE_AVX2_PATH)
__attribute__((target("avx2"))) inline __m256i MulDiv255x16(__m256i x, __m256i y) {
  __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(x, y), _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

__attribute__((target("avx2"))) inline __m256i Over4x2(__m256i s, __m256i d) {
  const __m256i alphaShuffle =
      _mm256_set_epi8(15, 14, 15, 14, 15, 14, 15, 14, 7, 6, 7, 6, 7, 6, 7, 6, 15, 14, 15, 14, 15,
                      14, 15, 14, 7, 6, 7, 6, 7, 6, 7, 6);
  __m256i inv = _mm256_sub_epi16(_mm256_set1_epi16(255), _mm256_shuffle_epi8(s, alphaShuffle));
  return _mm256_add_epi16(s, MulDiv255x16(d, inv));
}

// Eight pixels a step; returns how many pixels it did, the caller finishes the rest.
__attribute__((target("avx2"))) int BlendRowAvx2(TColor32* dst, const TColor32* src, int count,
                                                 uint8_t masterAlpha) {
  const bool scale = masterAlpha != 255;
  const __m256i zero = _mm256_setzero_si256();
  const __m256i master = _mm256_set1_epi16(masterAlpha);
  const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000u));
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i alpha = _mm256_and_si256(s, alphaMask);
    if (!scale && _mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, alphaMask)) == -1) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), s);
      continue;
    }
    if (_mm256_testz_si256(s, s)) continue;
    __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    __m256i slo = _mm256_unpacklo_epi8(s, zero), shi = _mm256_unpackhi_epi8(s, zero);
    if (scale) {
      slo = MulDiv255x16(slo, master);
      shi = MulDiv255x16(shi, master);
    }
    const __m256i lo = Over4x2(slo, _mm256_unpacklo_epi8(d, zero));
    const __m256i hi = Over4x2(shi, _mm256_unpackhi_epi8(d, zero));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_packus_epi16(lo, hi));
  }
  return i;
}

bool CpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

}  // namespace

TColor32 BlendPixel(TColor32 src, TColor32 dst) {
  const uint32_t inv = 255 - AlphaOf(src);
  return (AddSat(AlphaOf(src), MulDiv255(AlphaOf(dst), inv)) << 24) |
         (AddSat(RedOf(src), MulDiv255(RedOf(dst), inv)) << 16) |
         (AddSat(GreenOf(src), MulDiv255(GreenOf(dst), inv)) << 8) |
         AddSat(BlueOf(src), MulDiv255(BlueOf(dst), inv));
}

void BlendRow(TColor32* dst, const TColor32* src, int count, uint8_t masterAlpha) {
  if (masterAlpha == 0 || count <= 0) return;
  const bool scale = masterAlpha != 255;
  int i = 0;
#if defined(NORVO_HAVE_AVX2_PATH)
  if (CpuHasAvx2()) i = BlendRowAvx2(dst, src, count, masterAlpha);
#endif
#if defined(__SSE2__)
  const __m128i master = _mm_set1_epi16(masterAlpha);
  const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000u));
  for (; i + 4 <= count; i += 4) {  // what the wider path left, or all on older processors
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const int alphaBits = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(s, alphaMask), alphaMask));
    if (!scale && (alphaBits & 0x8888) == 0x8888) {  // four opaque pixels
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
      continue;
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(s, _mm_setzero_si128())) == 0xFFFF) continue;
    __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), Over4(s, d, master, scale));
  }
#endif
  for (; i < count; ++i) {
    const TColor32 s = scale ? ScalePixel(src[i], masterAlpha) : src[i];
    if (AlphaOf(s) == 255)
      dst[i] = s;
    else if (s != 0)
      dst[i] = BlendPixel(s, dst[i]);
  }
}

void CopyRect(TBitmap32& dest, int x, int y, const TBitmap32& src, const TRect& srcRect) {
  const detail::TBlit b = detail::ClipBlit(dest, x, y, src, srcRect);
  if (b.Src.IsEmpty()) return;
  const size_t bytes = size_t(b.Src.Width()) * 4;
  for (int row = 0; row < b.Src.Height(); ++row)
    std::memmove(dest.ScanLine(b.DestY + row) + b.DestX, src.ScanLine(b.Src.Top + row) + b.Src.Left,
                 bytes);
}

void BlendRect(TBitmap32& dest, int x, int y, const TBitmap32& src, const TRect& srcRect) {
  const detail::TBlit b = detail::ClipBlit(dest, x, y, src, srcRect);
  if (b.Src.IsEmpty()) return;
  if (&dest == &src) {  // overlapping rows: blend from a copy of the block
    TBitmap32 copy(b.Src.Width(), b.Src.Height());
    CopyRect(copy, 0, 0, src, b.Src);
    copy.SetMasterAlpha(src.MasterAlpha());
    BlendRect(dest, b.DestX, b.DestY, copy, copy.BoundsRect());
    return;
  }
  for (int row = 0; row < b.Src.Height(); ++row)
    BlendRow(dest.ScanLine(b.DestY + row) + b.DestX, src.ScanLine(b.Src.Top + row) + b.Src.Left,
             b.Src.Width(), src.MasterAlpha());
}

void FillRect(TBitmap32& dest, const TRect& rect, TColor32 color) {
  const TRect r = Intersect(rect, dest.BoundsRect());
  for (int y = r.Top; y < r.Bottom; ++y) std::fill_n(dest.ScanLine(y) + r.Left, r.Width(), color);
}

void FillRectBlend(TBitmap32& dest, const TRect& rect, TColor32 color) {
  const TRect r = Intersect(rect, dest.BoundsRect());
  if (r.IsEmpty() || color == 0) return;
  if (AlphaOf(color) == 255) return FillRect(dest, r, color);
  const std::vector<TColor32> row(size_t(r.Width()), color);
  for (int y = r.Top; y < r.Bottom; ++y)
    BlendRow(dest.ScanLine(y) + r.Left, row.data(), r.Width(), 255);
}

void FrameRect(TBitmap32& dest, const TRect& rect, TColor32 color) {
  if (rect.IsEmpty()) return;
  FillRectBlend(dest, {rect.Left, rect.Top, rect.Right, rect.Top + 1}, color);
  if (rect.Height() > 1)
    FillRectBlend(dest, {rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, color);
  if (rect.Height() > 2) {
    FillRectBlend(dest, {rect.Left, rect.Top + 1, rect.Left + 1, rect.Bottom - 1}, color);
    if (rect.Width() > 1)
      FillRectBlend(dest, {rect.Right - 1, rect.Top + 1, rect.Right, rect.Bottom - 1}, color);
  }
}

namespace {

// Cuts the segment to the box [0, w) x [0, h) widened by a pixel (Liang-Barsky), so that a line
// with far-away ends costs only the pixels it shows. Returns false when nothing is left.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, int w, int h) {
  double t0 = 0, t1 = 1;
  const double dx = x2 - x1, dy = y2 - y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 + 1, w - x1, y1 + 1, h - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  const double ox = x1, oy = y1;
  x1 = ox + t0 * dx;
  y1 = oy + t0 * dy;
  x2 = ox + t1 * dx;
  y2 = oy + t1 * dy;
  return true;
}

}  // namespace

void Line(TBitmap32& dest, int x1, int y1, int x2, int y2, TColor32 color) {
  if (dest.Empty()) return;
  const TRect bounds = dest.BoundsRect();
  if (!bounds.Contains({x1, y1}) || !bounds.Contains({x2, y2})) {
    double fx1 = x1, fy1 = y1, fx2 = x2, fy2 = y2;
    if (!ClipSegment(fx1, fy1, fx2, fy2, dest.Width(), dest.Height())) return;
    x1 = int(std::lround(fx1));
    y1 = int(std::lround(fy1));
    x2 = int(std::lround(fx2));
    y2 = int(std::lround(fy2));
  }
  const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    if (bounds.Contains({x1, y1})) {
      TColor32& d = dest.ScanLine(y1)[x1];
      d = BlendPixel(color, d);
    }
    if (x1 == x2 && y1 == y2) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x1 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y1 += sy;
    }
  }
}

// Defined with the drawing it hands to, so that the bitmap itself does not depend on drawing.
void TBitmap32::DrawTo(TBitmap32& dest, int x, int y) const {
  if (FDrawMode == TDrawMode::dmBlend)
    BlendRect(dest, x, y, *this, BoundsRect());
  else
    CopyRect(dest, x, y, *this, BoundsRect());
}

}  // namespace gfx
