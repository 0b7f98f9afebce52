// Debug checks of thread affinity: NV_ASSERT_UI_THREAD() at the entry points that only the
// interface thread may call (input, painting, timers, watcher and file operation set-up, the
// skin buffer's publishing side). A call from another thread ends the program with a message
// naming the entry point, so a race shows up as a failing test instead of a rare corruption.
//
// The checks are compiled in unless NORVO_NO_THREAD_CHECKS is defined (a release build); they
// pass when no interface loop is installed, as in tests that drive a class without a backend.
#pragma once

namespace platform {

// True on the interface thread, and anywhere while no loop is installed.
bool OnUiThreadOrNoLoop();
[[noreturn]] void ThreadCheckFailed(const char* function, const char* file, int line);

}  // namespace platform

#ifdef NORVO_NO_THREAD_CHECKS
#define NV_ASSERT_UI_THREAD() ((void)0)
#else
#define NV_ASSERT_UI_THREAD() \
  (platform::OnUiThreadOrNoLoop() ? (void)0 : platform::ThreadCheckFailed(__func__, __FILE__, __LINE__))
#endif
