// What the window shows until the main view exists: a calm frame drawn with the raster library.
#pragma once

#include "gfx/Bitmap32.h"
#include "platform/Window.h"

namespace shell {

class TStartFrame : public platform::WindowEvents {
 public:
  void OnPaint(platform::Window& window) override;
  void OnResize(int width, int height) override;
  void OnDestroyed() override;

 private:
  void Draw(int width, int height);

  gfx::TBitmap32 FCanvas;  // the off-screen canvas, resized only on resize
};

}  // namespace shell
