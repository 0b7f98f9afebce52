// The fast resampler: separable, with box averaging when an axis shrinks and bilinear
// interpolation when it grows. Each axis gets a table of source taps per target pixel, built
// only for the target pixels that survive clipping; the rows pass into a small intermediate
// and the columns pass out of it. Weights are integers summing to kOne, so premultiplied pixels
// stay premultiplied.
#include <cmath>
#include <vector>

#include "gfx/Draw.h"

namespace gfx {

namespace {

constexpr int kShift = 14;
constexpr int kOne = 1 << kShift;

struct TTaps {
  std::vector<int> First;    // first source index per target pixel
  std::vector<int> Count;    // number of taps per target pixel
  std::vector<int> Offset;   // start of its weights in Weights
  std::vector<int> Weights;  // fixed-point, each pixel's weights sum to kOne
};

// Makes integer weights that sum to exactly kOne from real ones that sum to 1.
void AppendWeights(TTaps& taps, const std::vector<double>& w) {
  int sum = 0, largest = 0;
  const size_t base = taps.Weights.size();
  for (size_t i = 0; i < w.size(); ++i) {
    const int v = int(std::lround(w[i] * kOne));
    taps.Weights.push_back(v);
    sum += v;
    if (v > taps.Weights[base + largest]) largest = int(i);
  }
  taps.Weights[base + largest] += kOne - sum;
}

// Taps for target pixels [first, first + count) of a target of length dstLen drawn from a
// source of length srcLen.
TTaps BuildTaps(int srcLen, int64_t dstLen, int64_t first, int count) {
  TTaps taps;
  taps.First.reserve(count);
  taps.Count.reserve(count);
  taps.Offset.reserve(count);
  const double scale = double(srcLen) / double(dstLen);
  std::vector<double> w;
  for (int64_t i = first; i < first + count; ++i) {
    w.clear();
    int start;
    if (srcLen > dstLen) {  // box: the source span the target pixel covers
      const double lo = double(i) * scale, hi = double(i + 1) * scale;
      start = std::min(int(lo), srcLen - 1);
      const int end = std::min(int(std::ceil(hi)), srcLen);
      for (int j = start; j < std::max(end, start + 1); ++j)
        w.push_back((std::min(hi, double(j + 1)) - std::max(lo, double(j))) / scale);
    } else {  // bilinear between the two nearest source centres
      const double centre = (double(i) + 0.5) * scale - 0.5;
      int j = int(std::floor(centre));
      double f = centre - j;
      if (j < 0) j = 0, f = 0;
      if (j >= srcLen - 1) j = srcLen - 1, f = 0;
      start = j;
      w.push_back(1 - f);
      if (f > 0) w.push_back(f);
    }
    double total = 0;
    for (double v : w) total += v;
    for (double& v : w) v /= total;
    taps.First.push_back(start);
    taps.Count.push_back(int(w.size()));
    taps.Offset.push_back(int(taps.Weights.size()));
    AppendWeights(taps, w);
  }
  return taps;
}

inline TColor32 Pack(const uint32_t acc[4]) {
  constexpr uint32_t half = kOne / 2;
  return (((acc[3] + half) >> kShift) << 24) | (((acc[2] + half) >> kShift) << 16) |
         (((acc[1] + half) >> kShift) << 8) | ((acc[0] + half) >> kShift);
}

inline void Accumulate(uint32_t acc[4], TColor32 c, int weight) {
  acc[0] += BlueOf(c) * uint32_t(weight);
  acc[1] += GreenOf(c) * uint32_t(weight);
  acc[2] += RedOf(c) * uint32_t(weight);
  acc[3] += AlphaOf(c) * uint32_t(weight);
}

// A rectangle scaled from source coordinates onto a target rectangle (64-bit, floor).
// Widths of extreme rectangles need 33 bits and their products 65, hence the wide arithmetic.
int64_t MapEdge(int64_t v, int64_t srcStart, int64_t srcLen, int64_t dstStart, int64_t dstLen) {
  const __int128 n = __int128(v - srcStart) * dstLen;
  return dstStart + int64_t(n >= 0 ? n / srcLen : -((-n + srcLen - 1) / srcLen));
}

int64_t Span(int lo, int hi) { return int64_t{hi} - lo; }

}  // namespace

void StretchRect(TBitmap32& dest, const TRect& destRect, const TBitmap32& src, const TRect& srcRect,
                 TDrawMode mode) {
  if (destRect.IsEmpty() || srcRect.IsEmpty()) return;
  // A source rectangle reaching outside the source is cut, and the target in proportion.
  const TRect s = Intersect(srcRect, src.BoundsRect());
  if (s.IsEmpty()) return;
  const int64_t sw = Span(srcRect.Left, srcRect.Right), sh = Span(srcRect.Top, srcRect.Bottom);
  const int64_t tw = Span(destRect.Left, destRect.Right), th = Span(destRect.Top, destRect.Bottom);
  const int64_t dL = MapEdge(s.Left, srcRect.Left, sw, destRect.Left, tw);
  const int64_t dR = MapEdge(s.Right, srcRect.Left, sw, destRect.Left, tw);
  const int64_t dT = MapEdge(s.Top, srcRect.Top, sh, destRect.Top, th);
  const int64_t dB = MapEdge(s.Bottom, srcRect.Top, sh, destRect.Top, th);
  const int64_t dw = dR - dL, dh = dB - dT;
  if (dw <= 0 || dh <= 0) return;
  // The visible part of the target.
  const int64_t vL = std::max<int64_t>(dL, 0), vR = std::min<int64_t>(dR, dest.Width());
  const int64_t vT = std::max<int64_t>(dT, 0), vB = std::min<int64_t>(dB, dest.Height());
  if (vR <= vL || vB <= vT) return;
  const int outW = int(vR - vL), outH = int(vB - vT);

  const TTaps cols = BuildTaps(s.Width(), dw, vL - dL, outW);
  const TTaps rows = BuildTaps(s.Height(), dh, vT - dT, outH);
  const int rowFirst = rows.First.front();
  const int rowLast = rows.First.back() + rows.Count.back();

  // Rows pass: every source row the columns pass needs, scaled across.
  TBitmap32 across(outW, rowLast - rowFirst);
  for (int y = rowFirst; y < rowLast; ++y) {
    const TColor32* in = src.ScanLine(s.Top + y) + s.Left;
    TColor32* out = across.ScanLine(y - rowFirst);
    for (int x = 0; x < outW; ++x) {
      uint32_t acc[4] = {0, 0, 0, 0};
      const int* w = &cols.Weights[cols.Offset[x]];
      const TColor32* p = in + cols.First[x];
      for (int k = 0; k < cols.Count[x]; ++k) Accumulate(acc, p[k], w[k]);
      out[x] = Pack(acc);
    }
  }

  // Columns pass, straight into the target row or through a scratch row for blending.
  std::vector<TColor32> scratch(mode == TDrawMode::dmBlend ? size_t(outW) : 0);
  for (int y = 0; y < outH; ++y) {
    TColor32* target = dest.ScanLine(int(vT) + y) + vL;
    TColor32* out = mode == TDrawMode::dmBlend ? scratch.data() : target;
    const int* w = &rows.Weights[rows.Offset[y]];
    const int first = rows.First[y] - rowFirst;
    for (int x = 0; x < outW; ++x) {
      uint32_t acc[4] = {0, 0, 0, 0};
      for (int k = 0; k < rows.Count[y]; ++k) Accumulate(acc, across.ScanLine(first + k)[x], w[k]);
      out[x] = Pack(acc);
    }
    if (mode == TDrawMode::dmBlend) BlendRow(target, scratch.data(), outW, src.MasterAlpha());
  }
}

TBitmap32 Resampled(const TBitmap32& src, int width, int height) {
  TBitmap32 out;
  if (width < 1 || height < 1 || src.Empty() || !out.SetSize(width, height)) return out;
  StretchRect(out, out.BoundsRect(), src, src.BoundsRect(), TDrawMode::dmOpaque);
  return out;
}

}  // namespace gfx
