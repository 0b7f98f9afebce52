// Thumbnails of camera photos through the picture loader and the shared picture cache:
//   - one 12-megapixel photo file to a 256-pixel thumbnail against reading the same file and
//     decoding it at an eighth with libjpeg alone (the loader's overhead);
//   - 200 such photos claimed, loaded and published into one cache by one worker per core
//     against the same work on one worker (how well the cache lets the workers run side by side).
// Smoke runs use 400 x 300 photos and ten files.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "BenchPhotos.h"
#include "BenchRatio.h"
#include "base/FileIo.h"
#include "data/NV_IconCache.h"
#include "data/NV_PictureLoader.h"

namespace {

unsigned Cores() { return std::max(1u, std::thread::hardware_concurrency()); }

// A folder of photo files: the same camera-like photo under many names, each its own cache key.
struct TPhotoFolder {
  std::filesystem::path Folder;
  std::vector<std::string> Files;

  TPhotoFolder() {
    const int count = bench::Smoke() ? 10 : 200;
    const std::vector<uint8_t> photo = bench::Smoke() ? bench::MakePhoto(400, 300) : bench::MakePhoto(4000, 3000);
    Folder = std::filesystem::temp_directory_path() / ("norvo-photo-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(Folder);
    const std::string bytes(photo.begin(), photo.end());
    for (int i = 0; i < count; ++i) {
      Files.push_back((Folder / ("photo" + std::to_string(i) + ".jpg")).string());
      (void)base::WriteFileAtomically(Files.back(), bytes);
    }
  }
  ~TPhotoFolder() { std::filesystem::remove_all(Folder); }
};

TPhotoFolder& Photos() {
  static TPhotoFolder photos;
  return photos;
}

void BM_LoadPicture12MpThumb(benchmark::State& state) {
  const std::string& file = Photos().Files.front();
  gfx::TBitmap32 thumb;
  for (auto _ : state) {
    data::LoadPicture(file, thumb, 256, false, 256);
    benchmark::DoNotOptimize(thumb.Bits());
  }
  if (thumb.Width() != 256 || thumb.Height() != 192) state.SkipWithError("wrong thumbnail size");
}
BENCHMARK(BM_LoadPicture12MpThumb)->Unit(benchmark::kMillisecond);

void BM_ReadAndLibjpegEighth(benchmark::State& state) {
  const std::string& file = Photos().Files.front();
  std::vector<uint8_t> bytes, pixels;
  for (auto _ : state) {
    (void)base::ReadWholeFile(file, bytes, int64_t{1} << 30);
    bench::DecodeEighthWithLibjpeg(bytes.data(), bytes.size(), pixels);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_ReadAndLibjpegEighth)->Unit(benchmark::kMillisecond);

// Every photo of the folder through a fresh cache, the way the icon workers fill it: claim the
// source, load the picture, publish it. Workers take the next photo until none is left.
void FillCache(unsigned workers, benchmark::State& state) {
  const std::vector<std::string>& files = Photos().Files;
  for (auto _ : state) {
    data::TIconCache cache(int64_t{1} << 30);
    std::vector<data::TIconClaim> claims(files.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
      for (size_t i; (i = next.fetch_add(1)) < files.size();) {
        claims[i] = cache.FindOrInsert(files[i], "Item" + std::to_string(i));
        gfx::TBitmap32 picture;
        data::LoadPicture(files[i], picture, 256, false, 256);
        cache.Publish(*claims[i].Source(), std::move(picture));
      }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < workers; ++t) threads.emplace_back(work);
    for (std::thread& thread : threads) thread.join();
    if (cache.SourceCount() != int(files.size())) state.SkipWithError("a photo did not reach the cache");
  }
}

void BM_CacheFillOneWorker(benchmark::State& state) { FillCache(1, state); }
BENCHMARK(BM_CacheFillOneWorker)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CacheFillWorkerPerCore(benchmark::State& state) { FillCache(Cores(), state); }
BENCHMARK(BM_CacheFillWorkerPerCore)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

// At least 0.8 of libjpeg's own speed, and at least 0.8 x cores times the one-worker speed.
NORVO_BENCH_RATIO(BM_LoadPicture12MpThumb, BM_ReadAndLibjpegEighth, 1.25);
NORVO_BENCH_RATIO(BM_CacheFillWorkerPerCore, BM_CacheFillOneWorker, 1.0 / (0.8 * Cores()));

NORVO_BENCH_MAIN()
