#include "platform/gtk/GioShell.h"

#include <gio/gio.h>

#include "platform/Fs.h"

namespace platform::gtk {

namespace {

// Takes ownership of a GLib string.
std::string Adopt(gchar* text) {
  if (!text) return {};
  std::string result(text);
  g_free(text);
  return result;
}

std::string Text(const gchar* text) { return text ? std::string(text) : std::string(); }

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A desktop entry of type Link stands for its URL; only local files count as targets, so a
// web link stays a launcher that opens its URL.
std::string DesktopLinkTarget(const std::string& file) {
  GKeyFile* keys = g_key_file_new();
  std::string target;
  if (g_key_file_load_from_file(keys, file.c_str(), G_KEY_FILE_NONE, nullptr)) {
    std::string type = Adopt(g_key_file_get_string(keys, G_KEY_FILE_DESKTOP_GROUP,
                                                   G_KEY_FILE_DESKTOP_KEY_TYPE, nullptr));
    std::string url = Adopt(
        g_key_file_get_string(keys, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_URL, nullptr));
    if (type == G_KEY_FILE_DESKTOP_TYPE_LINK && g_str_has_prefix(url.c_str(), "file:"))
      target = Adopt(g_filename_from_uri(url.c_str(), nullptr, nullptr));
  }
  g_key_file_free(keys);
  return target;
}

}  // namespace

std::string TGioShell::DefaultProgramFor(const std::string& ext) {
  if (ext.size() < 2 || ext[0] != '.') return {};
  gboolean uncertain = FALSE;
  std::string type = Adopt(g_content_type_guess(("file" + ext).c_str(), nullptr, 0, &uncertain));
  if (type.empty() || uncertain) return {};  // no type is registered for the extension
  GAppInfo* app = g_app_info_get_default_for_type(type.c_str(), FALSE);
  if (!app) return {};
  std::string program = Text(g_app_info_get_executable(app));
  g_object_unref(app);
  if (program.empty()) return {};
  std::string full = Adopt(g_find_program_in_path(program.c_str()));
  return full.empty() ? program : full;
}

std::string TGioShell::ShortcutTarget(const std::string& linkFile) {
  std::string target = Fs::SymlinkTarget(linkFile);
  if (target.empty() && EndsWith(linkFile, ".desktop")) target = DesktopLinkTarget(linkFile);
  return target;
}

std::string TGioShell::SpecialFolder(TSpecialFolder folder) {
  switch (folder) {
    case TSpecialFolder::sfDesktop:
      return Text(g_get_user_special_dir(G_USER_DIRECTORY_DESKTOP));
    case TSpecialFolder::sfDocuments: {
      // Without a configured documents folder the home folder serves, as file choosers do.
      std::string documents = Text(g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS));
      return documents.empty() ? Text(g_get_home_dir()) : documents;
    }
    case TSpecialFolder::sfStartMenu:
    case TSpecialFolder::sfPrograms:  // the launchers the desktop's menu shows
      return Text(g_get_user_data_dir()) + "/applications";
    case TSpecialFolder::sfStartup:
      return Text(g_get_user_config_dir()) + "/autostart";
    case TSpecialFolder::sfWindows:
    case TSpecialFolder::sfSystem:
      return {};
  }
  return {};
}

}  // namespace platform::gtk
