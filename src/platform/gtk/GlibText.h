// Small text helpers for GLib results, shared by the GIO services.
#pragma once

#include <glib.h>

#include <string>

namespace platform::gtk {

// Takes ownership of a GLib string (which may be null) and frees it.
inline std::string Adopt(gchar* text) {
  if (!text) return {};
  std::string result(text);
  g_free(text);
  return result;
}

}  // namespace platform::gtk
