// Captions of a file view: single lines cut with an end ellipsis into 120 x 20 cells of a full-HD
// canvas. Measuring the same strings is the reference: it shows what the drawing and the cutting
// cost on top of laying the text out once.
#include <iterator>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "gfx/Text.h"

namespace {

constexpr int kCellWidth = 120;
constexpr int kCellHeight = 20;

// File-name-like strings from a few characters to several times the cell width.
std::vector<std::string> Captions() {
  static const char* const kStems[] = {
      "IMG_", "Holiday photos 2024 \xE2\x80\x94 beach (", "report-final-v", "Ca\xC3\xB1\x61 & sons invoice #",
      "a", "\xD0\x94\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82 ",
      "very long directory name that keeps going and going ", "notes_"};
  static const char* const kExtensions[] = {".jpg", ").jpg", ".pdf", ".txt", "", ".tar.gz"};
  const int count = bench::Smoke() ? 10 : 300;
  std::vector<std::string> captions;
  for (int i = 0; i < count; ++i) {
    std::string caption = kStems[i % std::size(kStems)];
    caption += std::to_string(i * 37 % 1000);
    if (i % 5 == 0) caption += " copy";
    caption += kExtensions[i % std::size(kExtensions)];
    captions.push_back(std::move(caption));
  }
  return captions;
}

void ReportMicrosecondsPerCaption(benchmark::State& state, size_t count) {
  // The inverse of a rate counting a millionth per caption is microseconds per caption.
  state.counters["us_per_caption"] =
      benchmark::Counter(double(count) * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DrawCaptions(benchmark::State& state) {
  const std::vector<std::string> captions = Captions();
  gfx::TBitmap32 canvas(1920, 1080);
  canvas.Clear(gfx::clWhite32);
  const int columns = canvas.Width() / kCellWidth;
  const gfx::TTextFormat format{gfx::TTextAlign::taCenter, true, true};
  for (auto _ : state) {
    for (size_t i = 0; i < captions.size(); ++i) {
      const int column = int(i) % columns, row = int(i) / columns;
      gfx::TextRect(canvas, gfx::Bounds(column * kCellWidth, row * kCellHeight, kCellWidth, kCellHeight),
                    captions[i], format);
    }
    benchmark::DoNotOptimize(canvas.Bits());
    benchmark::ClobberMemory();
  }
  ReportMicrosecondsPerCaption(state, captions.size());
}

void BM_MeasureCaptions(benchmark::State& state) {
  const std::vector<std::string> captions = Captions();
  const gfx::TFont32 font;
  for (auto _ : state) {
    int total = 0;
    for (const std::string& caption : captions) total += gfx::TextWidth(font, caption);
    benchmark::DoNotOptimize(total);
  }
  ReportMicrosecondsPerCaption(state, captions.size());
}

}  // namespace

BENCHMARK(BM_DrawCaptions)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeasureCaptions)->Unit(benchmark::kMicrosecond);
NORVO_BENCH_RATIO(BM_DrawCaptions, BM_MeasureCaptions, 0);

NORVO_BENCH_MAIN()
