// A thumbnail found in the shared cache: the original described, the entry read, decoded and
// checked, against libpng's own simplified decode of the same PNG file read from the disk, the
// least any program showing that thumbnail does. Both read a 256 x 192 photo-like thumbnail;
// smoke runs use a 64 x 48 one.
#include <png.h>
#include <stdlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "base/FileIo.h"
#include "data/NV_ThumbnailCache.h"

namespace {

// Gradients with a little noise, like a scaled-down photo.
gfx::TBitmap32 PhotoLike(int width, int height) {
  gfx::TBitmap32 picture(width, height);
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> noise(-6, 6);
  auto clamp = [](int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double fx = double(x) / width, fy = double(y) / height;
      picture.SetPixel(x, y,
                       gfx::Color32(clamp(int(60 + 150 * fx + 30 * std::sin(fx * 6)) + noise(random)),
                                    clamp(int(90 + 120 * fy * (1 - fx)) + noise(random)),
                                    clamp(int(200 - 140 * fy) + noise(random))));
    }
  return picture;
}

// A cache with one thumbnail in it, in a temporary folder removed at exit.
struct TBench {
  std::string Folder;
  std::string Original;
  std::string Thumbnail;
  int Size = 0;

  TBench() {
    std::string pattern = (std::filesystem::temp_directory_path() / "norvo-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return;
    Folder = pattern;
    Original = Folder + "/photo.jpg";
    base::WriteFileAtomically(Original, "the photo's own bytes are never read");
    Size = bench::Smoke() ? 64 : 256;
    const data::TThumbnailCache cache(Folder + "/thumbnails");
    if (!cache.Store(Original, Size, PhotoLike(Size, Size * 3 / 4))) return;
    Thumbnail = cache.ThumbnailPath(data::TThumbnailCache::Describe(Original).Uri,
                                    *data::TThumbnailCache::FolderFor(Size));
  }
  ~TBench() {
    std::error_code ignored;
    if (!Folder.empty()) std::filesystem::remove_all(Folder, ignored);
  }
};

const TBench& Bench() {
  static const TBench bench;
  return bench;
}

void ThumbnailCacheLookup(benchmark::State& state) {
  const TBench& setup = Bench();
  const data::TThumbnailCache cache(setup.Folder + "/thumbnails");
  gfx::TBitmap32 thumbnail;
  bool found = true;
  for (auto _ : state) {
    found = cache.Lookup(setup.Original, setup.Size, thumbnail) && found;
    benchmark::DoNotOptimize(thumbnail.Bits());
  }
  if (!found || thumbnail.Width() != setup.Size) state.SkipWithError("no thumbnail found");
}

// Read and decode to 8-bit RGBA with libpng's simplified interface and nothing else.
void ThumbnailLibpngDecode(benchmark::State& state) {
  const TBench& setup = Bench();
  std::vector<uint8_t> file, pixels;
  bool decoded = true;
  for (auto _ : state) {
    base::ReadWholeFile(setup.Thumbnail, file, int64_t{1} << 24);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, file.data(), file.size())) {
      image.format = PNG_FORMAT_BGRA;
      pixels.resize(PNG_IMAGE_SIZE(image));
      decoded = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) && decoded;
    } else {
      decoded = false;
    }
    png_image_free(&image);
    benchmark::DoNotOptimize(pixels.data());
  }
  if (!decoded) state.SkipWithError("libpng could not decode the thumbnail");
}

}  // namespace

BENCHMARK(ThumbnailCacheLookup)->Unit(benchmark::kMicrosecond);
BENCHMARK(ThumbnailLibpngDecode)->Unit(benchmark::kMicrosecond);
NORVO_BENCH_RATIO(ThumbnailCacheLookup, ThumbnailLibpngDecode, 2.0);

NORVO_BENCH_MAIN()
