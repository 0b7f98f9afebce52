#include "platform/gtk/GtkBackend.h"

#include <gtk/gtk.h>

namespace platform::gtk {

std::unique_ptr<TGtkBackend> TGtkBackend::Init() {
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
  return std::unique_ptr<TGtkBackend>(new TGtkBackend());
}

TGtkBackend::TGtkBackend() {
  SetUiLoop(&Loop);
  SetClipboard(&Clip);
  SetDialogs(&Dialog);
  SetSound(&Audio);
}

TGtkBackend::~TGtkBackend() {
  SetSound(nullptr);
  SetDialogs(nullptr);
  SetClipboard(nullptr);
  SetUiLoop(nullptr);
}

std::unique_ptr<TGtkWindow> TGtkBackend::CreateMainWindow(WindowEvents& events, int clientWidth, int clientHeight) {
  auto window = std::make_unique<TGtkWindow>(events, clientWidth, clientHeight);
  Dialog.SetParent(window->NativeWindow());
  return window;
}

}  // namespace platform::gtk
