#include "platform/gtk/GtkScreen.h"

#include <gtk/gtk.h>

#include "platform/gtk/GtkPixbuf.h"

namespace platform::gtk {

bool CaptureScreen(gfx::TBitmap32& out, int x, int y, int width, int height) {
  GdkWindow* root = gdk_get_default_root_window();
  if (!root) return false;
  if (width <= 0 || height <= 0) {
    width = gdk_window_get_width(root);
    height = gdk_window_get_height(root);
  }
  GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(root, x, y, width, height);
  if (!pixbuf) return false;
  PixbufToBitmap(pixbuf, out);
  g_object_unref(pixbuf);
  return true;
}

bool PopupHoldsInput() { return gtk_grab_get_current() != nullptr; }

}  // namespace platform::gtk
