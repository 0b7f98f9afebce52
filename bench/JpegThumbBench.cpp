// The thumbnail path for camera pictures: LoadScaledJpeg of a 4000 x 3000 photo into a 256 x 256
// box, against libjpeg's own plain 1/8-scale decode of the same file to RGB, the least work any
// thumbnailer has to do. Smoke runs use a 400 x 300 photo.
#include <vector>

#include "BenchPhotos.h"
#include "BenchRatio.h"
#include "gfx/JpegCodec.h"

namespace {

const std::vector<uint8_t>& Photo() {
  static const std::vector<uint8_t> photo =
      bench::Smoke() ? bench::MakePhoto(400, 300) : bench::MakePhoto(4000, 3000);
  return photo;
}

void JpegThumbLoadScaled(benchmark::State& state) {
  const std::vector<uint8_t>& photo = Photo();
  gfx::TBitmap32 thumb;
  for (auto _ : state) {
    gfx::LoadScaledJpeg(photo.data(), photo.size(), 256, 256, thumb);
    benchmark::DoNotOptimize(thumb.Bits());
  }
  if (thumb.Width() != 256 || thumb.Height() != 192) state.SkipWithError("wrong thumbnail size");
}

// libjpeg's defaults with only the scale changed; every scanline read into one buffer.
void JpegThumbLibjpegEighth(benchmark::State& state) {
  const std::vector<uint8_t>& photo = Photo();
  std::vector<uint8_t> pixels;
  for (auto _ : state) {
    bench::DecodeEighthWithLibjpeg(photo.data(), photo.size(), pixels);
    benchmark::DoNotOptimize(pixels.data());
  }
}

}  // namespace

BENCHMARK(JpegThumbLoadScaled)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegThumbLibjpegEighth)->Unit(benchmark::kMillisecond);
NORVO_BENCH_RATIO(JpegThumbLoadScaled, JpegThumbLibjpegEighth, 1.25);

NORVO_BENCH_MAIN()
