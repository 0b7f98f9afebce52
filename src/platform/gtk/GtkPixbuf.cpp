#include "platform/gtk/GtkPixbuf.h"

namespace platform::gtk {

void PixbufToBitmap(const GdkPixbuf* pixbuf, gfx::TBitmap32& out) {
  const int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf), stride = gdk_pixbuf_get_rowstride(pixbuf);
  const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
  if (!out.SetSize(w, h) || channels < 3) return;
  for (int y = 0; y < h; ++y) {
    gfx::TColor32* row = out.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      const guchar* p = pixels + size_t(y) * size_t(stride) + size_t(x) * size_t(channels);
      row[x] = gfx::Color32(p[0], p[1], p[2], channels == 4 ? p[3] : 255);
    }
  }
}

}  // namespace platform::gtk
