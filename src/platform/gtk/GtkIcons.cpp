#include "platform/gtk/GtkIcons.h"

#include <gio/gio.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Path.h"
#include "platform/gtk/GlibText.h"
#include "platform/gtk/GtkPixbuf.h"

namespace platform::gtk {

namespace {

bool Decode(const std::string& file, int size, gfx::TBitmap32& out) {
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file_at_scale(file.c_str(), size, size, TRUE, nullptr);
  if (!pixbuf) return false;
  PixbufToBitmap(pixbuf, out);
  g_object_unref(pixbuf);
  return !out.Empty();
}

// The theme names GIO gives for a content type, then the generic document.
std::vector<std::string> NamesOfType(const std::string& contentType) {
  std::vector<std::string> names;
  GIcon* icon = g_content_type_get_icon(contentType.c_str());
  if (icon && G_IS_THEMED_ICON(icon))
    for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon)); name && *name; ++name)
      names.emplace_back(*name);
  if (icon) g_object_unref(icon);
  names.emplace_back("application-x-generic");
  return names;
}

}  // namespace

TGtkIcons::TGtkIcons(UiLoop& loop) : FLoop(loop) {}

TGtkIcons::~TGtkIcons() {
  if (FTheme) {
    g_signal_handlers_disconnect_by_data(FTheme, this);
    g_object_unref(FTheme);
  }
}

void TGtkIcons::UseTheme(const std::vector<std::string>& searchPath, const std::string& themeName) {
  if (FTheme) {
    g_signal_handlers_disconnect_by_data(FTheme, this);
    g_object_unref(FTheme);
  }
  GtkIconTheme* theme = gtk_icon_theme_new();
  std::vector<const gchar*> folders;
  for (const std::string& folder : searchPath) folders.push_back(folder.c_str());
  gtk_icon_theme_set_search_path(theme, folders.data(), gint(folders.size()));
  gtk_icon_theme_set_custom_theme(theme, themeName.c_str());
  g_signal_connect(theme, "changed", G_CALLBACK(OnThemeChanged), this);
  FTheme = theme;
  std::lock_guard<std::mutex> guard(FLock);
  FCache.clear();
}

void* TGtkIcons::Theme() {
  if (!FTheme) {
    GtkIconTheme* theme = gtk_icon_theme_get_default();
    if (!theme) return nullptr;
    FTheme = g_object_ref(theme);
    g_signal_connect(FTheme, "changed", G_CALLBACK(OnThemeChanged), this);
  }
  return FTheme;
}

void TGtkIcons::OnThemeChanged(void*, void* self) {
  auto* icons = static_cast<TGtkIcons*>(self);
  std::lock_guard<std::mutex> guard(icons->FLock);
  icons->FCache.clear();
}

bool TGtkIcons::Themed(const std::string& key, const std::vector<std::string>& names, int size,
                       gfx::TBitmap32& out) {
  if (size <= 0 || names.empty()) return false;
  if (!key.empty()) {
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FCache.find({key, size});
    if (it != FCache.end()) {
      out = it->second;
      return true;
    }
  }
  // The theme answers with a picture file; a picture it holds in no file (a built-in one) is
  // drawn there and then.
  std::string file;
  gfx::TBitmap32 drawn;
  FLoop.RunOnUiThread(
      [&] {
        auto* theme = static_cast<GtkIconTheme*>(Theme());
        if (!theme) return;
        std::vector<const gchar*> list;
        for (const std::string& name : names) list.push_back(name.c_str());
        list.push_back(nullptr);
        GtkIconInfo* info = gtk_icon_theme_choose_icon(theme, list.data(), size, GTK_ICON_LOOKUP_FORCE_SIZE);
        if (!info) return;
        if (const gchar* name = gtk_icon_info_get_filename(info)) {
          file = name;
        } else if (GdkPixbuf* pixbuf = gtk_icon_info_load_icon(info, nullptr)) {
          PixbufToBitmap(pixbuf, drawn);
          g_object_unref(pixbuf);
        }
        g_object_unref(info);
      },
      nullptr);
  gfx::TBitmap32 icon;
  if (!file.empty()) {
    if (!Decode(file, size, icon)) return false;
  } else if (!drawn.Empty()) {
    icon = std::move(drawn);
  } else {
    return false;
  }
  if (!key.empty()) {
    std::lock_guard<std::mutex> guard(FLock);
    FCache[{key, size}] = icon;
  }
  out = std::move(icon);
  return true;
}

bool TGtkIcons::ForContentType(const std::string& contentType, int size, gfx::TBitmap32& out) {
  if (contentType.empty()) return false;
  return Themed("type:" + contentType, NamesOfType(contentType), size, out);
}

bool TGtkIcons::ForPath(const std::string& path, int size, gfx::TBitmap32& out) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0)  // a link to nothing still has a picture
    return lstat(path.c_str(), &st) == 0 && ForContentType("inode/symlink", size, out);
  if (S_ISDIR(st.st_mode)) return ForContentType("inode/directory", size, out);
  if (S_ISREG(st.st_mode) && path.ends_with(".desktop") && ForLauncher(path, size, out)) return true;
  if (S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0)
    return Themed("program", {"application-x-executable", "application-x-generic"}, size, out);
  // By name alone: a listing of many files never reads their contents for an icon.
  const std::string name = base::BaseName(path);
  std::string type = Adopt(g_content_type_guess(name.c_str(), nullptr, 0, nullptr));
  return ForContentType(type.empty() ? "application/octet-stream" : type, size, out);
}

bool TGtkIcons::ForLauncher(const std::string& desktopFile, int size, gfx::TBitmap32& out) {
  GKeyFile* keys = g_key_file_new();
  std::string icon;
  if (g_key_file_load_from_file(keys, desktopFile.c_str(), G_KEY_FILE_NONE, nullptr))
    icon = Adopt(g_key_file_get_string(keys, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_ICON, nullptr));
  g_key_file_free(keys);
  if (!icon.empty() && icon[0] == '/') {
    gfx::TBitmap32 picture;
    if (!Decode(icon, size, picture)) return false;
    out = std::move(picture);
    return true;
  }
  std::vector<std::string> names;
  if (!icon.empty()) {
    // Older launchers name the theme icon with its file's extension.
    for (const char* ext : {".png", ".svg", ".xpm"})
      if (icon.ends_with(ext)) icon.resize(icon.size() - 4);
    names.push_back(icon);
  }
  names.emplace_back("application-x-executable");
  return Themed({}, names, size, out);
}

bool TGtkIcons::ForVolume(const TVolumeInfo& volume, int size, gfx::TBitmap32& out) {
  std::vector<std::string> names;
  for (const char* const* name = VolumeIconNames(volume.Kind); *name; ++name) names.emplace_back(*name);
  return Themed("volume:" + std::to_string(int(volume.Kind)), names, size, out);
}

}  // namespace platform::gtk
