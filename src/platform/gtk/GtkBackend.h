// The real backend in one object: Init connects to the display and, when it can, installs the
// loop and services; destroying the backend uninstalls them.
#pragma once

#include <functional>
#include <memory>

#include "platform/DirWatch.h"
#include "platform/FileOps.h"
#include "platform/gtk/GioShell.h"
#include "platform/gtk/GioTrash.h"
#include "platform/gtk/GioVolumes.h"
#include "platform/gtk/GtkClipboard.h"
#include "platform/gtk/GtkDialogs.h"
#include "platform/gtk/GtkIcons.h"
#include "platform/gtk/GtkLoop.h"
#include "platform/gtk/GtkProgressWindow.h"
#include "platform/gtk/GtkSound.h"
#include "platform/gtk/GtkWindow.h"

namespace platform::gtk {

class TGtkBackend {
 public:
  // nullptr when there is no display to connect to.
  static std::unique_ptr<TGtkBackend> Init();
  ~TGtkBackend();

  // Runs when the connection to the display is lost: the place to save what must not be lost.
  // The program then ends quietly with exit status 0 (nothing can be shown any more).
  void SetDisplayLostHandler(std::function<void()> handler);

  // The main window; the dialogs become modal to it.
  std::unique_ptr<TGtkWindow> CreateMainWindow(WindowEvents& events, int clientWidth, int clientHeight);

  TGtkLoop Loop;
  TGtkIcons Icons{Loop};
  TGtkClipboard Clip;
  TGtkDialogs Dialog;
  TGtkSound Audio;
  TGioVolumes Volumes;
  TGioShell Shell;
  TGioTrash Trash;
  TGtkFileOpUi FileOpUi;
  // Destroyed first (members go in reverse order): they join their workers while the services
  // they use still live.
  TDirWatcher Watcher{Loop};
  TFileOps FileOps{Loop, FileOpUi, Trash, Dialog};

 private:
  TGtkBackend();
};

}  // namespace platform::gtk
