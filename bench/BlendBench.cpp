// Alpha-blending a translucent full-HD bitmap onto another, against memcpy of the same bytes.
#include <cstring>

#include "BenchRatio.h"
#include "gfx/Draw.h"

namespace {

int FrameWidth() { return bench::Smoke() ? 64 : 1920; }
int FrameHeight() { return bench::Smoke() ? 36 : 1080; }

// Every pixel translucent and different, so no run of the blend loop can be skipped or copied.
gfx::TBitmap32 Translucent(int w, int h) {
  gfx::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(
          x, y,
          gfx::Color32(uint8_t(x), uint8_t(y), uint8_t(x + y), uint8_t(1 + (x * 7 + y) % 254)));
  return b;
}

void BM_Blend(benchmark::State& state) {
  const gfx::TBitmap32 src = Translucent(FrameWidth(), FrameHeight());
  gfx::TBitmap32 dst(FrameWidth(), FrameHeight());
  dst.Clear(gfx::clWhite32);
  for (auto _ : state) {
    gfx::BlendRect(dst, 0, 0, src, src.BoundsRect());
    benchmark::DoNotOptimize(dst.Bits());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Blend)->Unit(benchmark::kMicrosecond);

void BM_Memcpy(benchmark::State& state) {
  const gfx::TBitmap32 src = Translucent(FrameWidth(), FrameHeight());
  gfx::TBitmap32 dst(FrameWidth(), FrameHeight());
  const size_t bytes = size_t(src.Width()) * src.Height() * 4;
  for (auto _ : state) {
    std::memcpy(dst.Bits(), src.Bits(), bytes);
    benchmark::DoNotOptimize(dst.Bits());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

}  // namespace

NORVO_BENCH_RATIO(BM_Blend, BM_Memcpy, 4.0);
NORVO_BENCH_MAIN()
