#include "platform/headless/HeadlessBackend.h"

namespace platform::headless {

THeadlessBackend::THeadlessBackend(TClock clock) : Loop(clock) {
  SetUiLoop(&Loop);
  SetClipboard(&Clip);
  SetDialogs(&Dialog);
  SetSound(&Audio);
  SetVolumes(&Volumes);
  SetShell(&Shell);
  SetTrash(&Trash);
  SetFileOpUi(&FileOpUi);
  SetDirWatcher(&Watcher);
  SetFileOps(&FileOps);
}

THeadlessBackend::~THeadlessBackend() {
  Loop.RunUntilIdle();  // nothing posted is left to run against a dead backend
  SetFileOps(nullptr);
  SetDirWatcher(nullptr);
  SetFileOpUi(nullptr);
  SetTrash(nullptr);
  SetShell(nullptr);
  SetVolumes(nullptr);
  SetSound(nullptr);
  SetDialogs(nullptr);
  SetClipboard(nullptr);
  SetUiLoop(nullptr);
}

std::unique_ptr<THeadlessWindow> THeadlessBackend::CreateMainWindow(WindowEvents& events, int clientWidth,
                                                                    int clientHeight) {
  return std::make_unique<THeadlessWindow>(events, clientWidth, clientHeight);
}

}  // namespace platform::headless
