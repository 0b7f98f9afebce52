// Copying one 256 MB file into another folder of the same file system with the file operations
// (worker, progress, temporary name, permissions and times kept), against the system's `cp`
// doing the same in the same run. Times are compared, so the target 1.25 is "at least 0.8 of
// cp's throughput". Smoke runs copy 1 MB.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "BenchRatio.h"
#include "platform/FileOps.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/headless/HeadlessFileOpUi.h"
#include "platform/headless/HeadlessTrash.h"

extern char** environ;

namespace {

class TBenchFiles {
 public:
  TBenchFiles() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/norvo-copy-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    FRoot = pattern;
    std::filesystem::create_directories(FRoot + "/dst");
    FSource = FRoot + "/source.bin";
    // Real data, not a hole: every block must be read and written.
    const size_t bytes = bench::Smoke() ? (1u << 20) : (256u << 20);
    std::string block(1 << 20, 0);
    for (size_t i = 0; i < block.size(); ++i) block[i] = char(i * 31 + i / 977);
    const int fd = open(FSource.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (size_t done = 0; done < bytes; done += block.size()) {
      block[0] = char(done >> 20);
      if (write(fd, block.data(), block.size()) != ssize_t(block.size())) std::abort();
    }
    close(fd);
  }
  ~TBenchFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(FRoot, ignored);
  }
  const std::string& Source() const { return FSource; }
  std::string Target() const { return FRoot + "/dst"; }
  std::string Copied() const { return FRoot + "/dst/source.bin"; }
  std::string Trash() const { return FRoot + "/trash"; }

 private:
  std::string FRoot, FSource;
};

const TBenchFiles& Files() {
  static const TBenchFiles files;
  return files;
}

// Between runs: no copy left, and no dirty pages of the last one left for the next to write.
void Reset(benchmark::State& state) {
  state.PauseTiming();
  unlink(Files().Copied().c_str());
  sync();
  state.ResumeTiming();
}

void BM_FileOpsCopy(benchmark::State& state) {
  platform::headless::THeadlessBackend backend(platform::headless::TClock::ckReal);
  platform::headless::THeadlessFileOpUi ui;
  platform::headless::THeadlessTrash trash(Files().Trash());
  platform::TFileOps ops(backend.Loop, ui, trash, backend.Dialog);
  for (auto _ : state) {
    Reset(state);
    bool done = false;
    platform::TFileOpRequest request;
    request.Kind = platform::TFileOpKind::okCopy;
    request.Sources = {Files().Source()};
    request.TargetFolder = Files().Target();
    request.OnDone = [&](const platform::TFileOpReport& report) {
      done = true;
      if (report.Items.empty() || report.Items[0].Outcome != platform::TItemOutcome::ioDone)
        state.SkipWithError("the copy failed");
    };
    ops.Start(std::move(request));
    backend.Loop.RunUntil([&] { return done; }, 600000);
  }
}
BENCHMARK(BM_FileOpsCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SystemCp(benchmark::State& state) {
  for (auto _ : state) {
    Reset(state);
    std::string a0 = "cp", a1 = "--preserve=mode,timestamps", a2 = Files().Source(),
                a3 = Files().Target();
    char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), nullptr};
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv, environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      state.SkipWithError("cp failed");
  }
}
BENCHMARK(BM_SystemCp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

NORVO_BENCH_RATIO(BM_FileOpsCopy, BM_SystemCp, 1.25);
NORVO_BENCH_MAIN()
