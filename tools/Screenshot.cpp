// norvo-screenshot OUT.png [X Y WIDTH HEIGHT]: writes what the display shows (the whole screen,
// or the rectangle) as a PNG. Used by `make run` under the virtual display.
#include <cstdio>
#include <cstdlib>

#include "gfx/PngCodec.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/GtkScreen.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 6) {
    std::fprintf(stderr, "usage: norvo-screenshot OUT.png [X Y WIDTH HEIGHT]\n");
    return 2;
  }
  auto backend = platform::gtk::TGtkBackend::Init();
  if (!backend) {
    std::fprintf(stderr, "norvo-screenshot: no display\n");
    return 1;
  }
  int rect[4] = {0, 0, 0, 0};
  if (argc == 6)
    for (int i = 0; i < 4; ++i) rect[i] = std::atoi(argv[2 + i]);
  gfx::TBitmap32 shot;
  if (!platform::gtk::CaptureScreen(shot, rect[0], rect[1], rect[2], rect[3])) {
    std::fprintf(stderr, "norvo-screenshot: the screen could not be read\n");
    return 1;
  }
  const gfx::TPictureResult saved = gfx::SavePngFile(shot, argv[1]);
  if (!saved) {
    std::fprintf(stderr, "norvo-screenshot: %s\n", saved.Message.c_str());
    return 1;
  }
  return 0;
}
