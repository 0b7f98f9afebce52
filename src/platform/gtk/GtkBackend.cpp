#include "platform/gtk/GtkBackend.h"

#include "platform/Services.h"
#include "platform/gtk/GtkPropertiesWindow.h"

#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#endif
#include <unistd.h>

namespace platform::gtk {

namespace {

std::function<void()> gDisplayLost;

#ifdef GDK_WINDOWING_X11
// Xlib ends the process after this returns, so it never returns: the handler saves, then the
// program leaves without the toolkit's complaint on the terminal.
int OnDisplayConnectionLost(Display*) {
  if (gDisplayLost) gDisplayLost();
  _exit(0);
}
#endif

}  // namespace

std::unique_ptr<TGtkBackend> TGtkBackend::Init() {
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
#ifdef GDK_WINDOWING_X11
  if (GDK_IS_X11_DISPLAY(gdk_display_get_default())) XSetIOErrorHandler(OnDisplayConnectionLost);
#endif
  return std::unique_ptr<TGtkBackend>(new TGtkBackend());
}

void TGtkBackend::SetDisplayLostHandler(std::function<void()> handler) { gDisplayLost = std::move(handler); }

TGtkBackend::TGtkBackend() {
  InstallServices({&Loop, &Clip, &Dialog, &Audio, &Volumes, &Shell, &Trash, &FileOpUi, &Watcher, &FileOps, &Icons});
}

TGtkBackend::~TGtkBackend() {
  gDisplayLost = nullptr;
  TGtkPropertiesWindow::CloseAll();
  UninstallServices();
}

std::unique_ptr<TGtkWindow> TGtkBackend::CreateMainWindow(WindowEvents& events, int clientWidth, int clientHeight) {
  auto window = std::make_unique<TGtkWindow>(events, clientWidth, clientHeight);
  Dialog.SetParent(window->NativeWindow());
  FileOpUi.SetParent(window->NativeWindow());
  Shell.SetParent(window->NativeWindow());
  return window;
}

}  // namespace platform::gtk
