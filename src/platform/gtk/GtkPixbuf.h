// Conversion of GdkPixbuf pictures (straight RGB or RGBA bytes) to premultiplied bitmaps.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "gfx/Bitmap32.h"

namespace platform::gtk {

void PixbufToBitmap(const GdkPixbuf* pixbuf, gfx::TBitmap32& out);

}  // namespace platform::gtk
