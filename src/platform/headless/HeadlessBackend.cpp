#include "platform/headless/HeadlessBackend.h"

#include "platform/Services.h"

namespace platform::headless {

THeadlessBackend::THeadlessBackend(TClock clock) : Loop(clock) {
  InstallServices({&Loop, &Clip, &Dialog, &Audio, &Volumes, &Shell, &Trash, &FileOpUi, &Watcher, &FileOps, &Icons});
}

THeadlessBackend::~THeadlessBackend() {
  Loop.RunUntilIdle();  // nothing posted is left to run against a dead backend
  UninstallServices();
}

std::unique_ptr<THeadlessWindow> THeadlessBackend::CreateMainWindow(WindowEvents& events, int clientWidth,
                                                                    int clientHeight) {
  return std::make_unique<THeadlessWindow>(events, clientWidth, clientHeight);
}

}  // namespace platform::headless
