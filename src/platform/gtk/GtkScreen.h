// Reading back what the display shows, for screenshots and the tests of the real window.
#pragma once

#include "gfx/Bitmap32.h"

namespace platform::gtk {

// The pixels of the screen rectangle (whole screen when Width or Height is 0); false without a
// display. Call after TGtkBackend::Init.
bool CaptureScreen(gfx::TBitmap32& out, int x = 0, int y = 0, int width = 0, int height = 0);

// True while a popup (a menu) of this program holds the keyboard and pointer.
bool PopupHoldsInput();

}  // namespace platform::gtk
