// A disk that takes only so much, for tests: while one of these lives, no file of this process
// grows beyond Bytes, and a write past it fails with EFBIG instead of raising SIGXFSZ.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace fstest {

class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &FSaved);
    rlimit limited = FSaved;
    limited.rlim_cur = bytes;
    FOldHandler = signal(SIGXFSZ, SIG_IGN);
    FActive = setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FSaved);
    signal(SIGXFSZ, FOldHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

  bool Active() const { return FActive; }

 private:
  rlimit FSaved{};
  void (*FOldHandler)(int) = nullptr;
  bool FActive = false;
};

}  // namespace fstest
