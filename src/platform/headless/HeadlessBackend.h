// The whole test backend in one object: constructing it installs its loop and services,
// destroying it uninstalls them. One per test; the constructing thread is the interface thread.
#pragma once

#include <memory>

#include "platform/DirWatch.h"
#include "platform/FileOps.h"
#include "platform/headless/HeadlessFileOpUi.h"
#include "platform/headless/HeadlessIcons.h"
#include "platform/headless/HeadlessLoop.h"
#include "platform/headless/HeadlessServices.h"
#include "platform/headless/HeadlessShell.h"
#include "platform/headless/HeadlessTrash.h"
#include "platform/headless/HeadlessVolumes.h"
#include "platform/headless/HeadlessWindow.h"

namespace platform::headless {

class THeadlessBackend {
 public:
  explicit THeadlessBackend(TClock clock = TClock::ckVirtual);
  ~THeadlessBackend();
  THeadlessBackend(const THeadlessBackend&) = delete;
  THeadlessBackend& operator=(const THeadlessBackend&) = delete;

  std::unique_ptr<THeadlessWindow> CreateMainWindow(WindowEvents& events, int clientWidth = 900,
                                                    int clientHeight = 665);

  THeadlessLoop Loop;
  THeadlessClipboard Clip;
  THeadlessDialogs Dialog;
  THeadlessSound Audio;
  THeadlessVolumes Volumes;
  THeadlessShell Shell;
  THeadlessIcons Icons;
  THeadlessTrash Trash;  // tests set Trash.Folder
  THeadlessFileOpUi FileOpUi;
  // Destroyed first (members go in reverse order): they join their workers while the services
  // they use still live.
  TDirWatcher Watcher{Loop};
  TFileOps FileOps{Loop, FileOpUi, Trash, Dialog};
};

}  // namespace platform::headless
