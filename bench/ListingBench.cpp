// Listing a folder of 100,000 entries with every attribute the browsing model needs, against a
// bare readdir + statx loop over the same folder asking the same fields: the least work any
// listing has to do. Smoke runs use 200 entries.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "BenchRatio.h"
#include "platform/Fs.h"

namespace {

// A folder made once per run and removed at its end: files of a few sizes, some folders and
// links, names of typical lengths.
class TBenchFolder {
 public:
  TBenchFolder() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/norvo-listing-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    FPath = pattern;
    const int count = bench::Smoke() ? 200 : 100000;
    for (int i = 0; i < count; ++i) {
      const std::string path =
          FPath + "/document-" + std::to_string(i) + (i % 3 ? ".txt" : ".jpeg");
      if (i % 50 == 0) {
        mkdir(path.c_str(), 0755);
      } else if (i % 97 == 0) {
        symlink("document-1.txt", path.c_str());
      } else {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (i % 7 == 0) ftruncate(fd, i);
        close(fd);
      }
    }
  }
  ~TBenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

const TBenchFolder& Folder() {
  static const TBenchFolder folder;
  return folder;
}

void BM_FsList(benchmark::State& state) {
  const std::string& dir = Folder().Path();
  for (auto _ : state) {
    int64_t sum = 0;
    platform::Fs::List(dir, [&](const platform::Fs::TFileEntry& e) {
      sum += e.Size + e.Hidden + e.ReadOnly + e.System;
      return true;
    });
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_FsList)->Unit(benchmark::kMillisecond);

void BM_BareReaddirStatx(benchmark::State& state) {
  const std::string& dir = Folder().Path();
  constexpr unsigned kMask = STATX_TYPE | STATX_MODE | STATX_UID | STATX_GID | STATX_SIZE |
                             STATX_ATIME | STATX_MTIME | STATX_BTIME | STATX_INO;
  for (auto _ : state) {
    int64_t sum = 0;
    DIR* folder = opendir(dir.c_str());
    while (const dirent* d = readdir(folder)) {
      struct statx st;
      if (statx(dirfd(folder), d->d_name, AT_SYMLINK_NOFOLLOW, kMask, &st) == 0)
        sum += int64_t(st.stx_size);
    }
    closedir(folder);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_BareReaddirStatx)->Unit(benchmark::kMillisecond);

}  // namespace

NORVO_BENCH_RATIO(BM_FsList, BM_BareReaddirStatx, 1.3);
NORVO_BENCH_MAIN()
