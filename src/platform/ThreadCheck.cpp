#include "platform/ThreadCheck.h"

#include <cstdio>
#include <cstdlib>

#include "platform/UiLoop.h"

namespace platform {

bool OnUiThreadOrNoLoop() { return !HasUiLoop() || IsUiThread(); }

void ThreadCheckFailed(const char* function, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: %s may only be called on the interface thread\n", file, line, function);
  std::abort();
}

}  // namespace platform
