// Norvo: start-up. The program takes no arguments.
#include <cstdio>

#include "platform/gtk/GtkBackend.h"
#include "shell/TStartFrame.h"

int main() {
  auto backend = platform::gtk::TGtkBackend::Init();
  if (!backend) {
    std::fprintf(stderr, "Norvo needs a graphical display (DISPLAY or WAYLAND_DISPLAY is not usable).\n");
    return 1;
  }
  shell::TStartFrame frame;
  auto window = backend->CreateMainWindow(frame, 900, 665);
  window->SetTitle("Norvo");
  window->SetMinClientSize(320, 240);
  window->Show();
  backend->Loop.Run();
  window.reset();
  return 0;
}
