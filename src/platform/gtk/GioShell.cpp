#include "platform/gtk/GioShell.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "base/Path.h"
#include "platform/Fs.h"
#include "platform/Volumes.h"
#include "platform/gtk/GlibText.h"
#include "platform/gtk/GtkPropertiesWindow.h"

namespace platform::gtk {

namespace {

std::string Text(const gchar* text) { return text ? std::string(text) : std::string(); }

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

std::string TakeMessage(GError* error) {
  std::string message = error && error->message ? error->message : "unknown error";
  if (error) g_error_free(error);
  return message;
}

bool IsDesktopEntry(const std::string& path) {
  struct stat st;
  return path.ends_with(".desktop") && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string UriOf(const std::string& path) {
  GFile* file = g_file_new_for_path(path.c_str());
  std::string uri = Adopt(g_file_get_uri(file));
  g_object_unref(file);
  return uri;
}

// The files Args name, relative ones taken from WorkDir; a list of new GFile references.
GList* FilesOf(const std::vector<std::string>& args, const std::string& workDir) {
  GList* files = nullptr;
  for (const std::string& arg : args) {
    GFile* file = workDir.empty() ? g_file_new_for_commandline_arg(arg.c_str())
                                  : g_file_new_for_commandline_arg_and_cwd(arg.c_str(), workDir.c_str());
    files = g_list_append(files, file);
  }
  return files;
}

bool OpenUri(const std::string& uri, std::string& error) {
  GError* failure = nullptr;
  if (g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &failure)) return true;
  error = TakeMessage(failure);
  return false;
}

bool OpenWithDefault(const std::string& path, std::string& error) {
  if (OpenUri(UriOf(path), error)) return true;
  error = "Cannot open \"" + path + "\": " + error;
  return false;
}

// Runs in the launched child before its program starts: the working folder a launcher that
// names none of its own starts in.
void EnterFolder(gpointer folder) {
  // The folder was checked before the launch; if it vanished since, the current one serves.
  const int failed = chdir(static_cast<const char*>(folder));
  (void)failed;
}

bool LaunchDesktopEntry(GDesktopAppInfo* app, const std::vector<std::string>& args,
                        const std::string& workDir, std::string& error) {
  GList* files = FilesOf(args, workDir);
  GList* uris = nullptr;
  for (GList* item = files; item; item = item->next)
    uris = g_list_append(uris, g_file_get_uri(static_cast<GFile*>(item->data)));
  g_list_free_full(files, g_object_unref);
  // A launcher's own Path= wins; otherwise it starts in WorkDir.
  const bool ownFolder = !Adopt(g_desktop_app_info_get_string(app, G_KEY_FILE_DESKTOP_KEY_PATH)).empty();
  const bool enter = !workDir.empty() && !ownFolder;
  GError* failure = nullptr;
  const bool launched = g_desktop_app_info_launch_uris_as_manager(
      app, uris, nullptr, GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL),
      enter ? EnterFolder : nullptr, enter ? const_cast<char*>(workDir.c_str()) : nullptr, nullptr,
      nullptr, &failure);
  g_list_free_full(uris, g_free);
  if (!launched) error = TakeMessage(failure);
  return launched;
}

// The program a Launch names: a path (relative ones taken from WorkDir) to an executable file,
// or a name found on PATH.
std::string ResolveProgram(const std::string& program, const std::string& workDir) {
  if (program.find('/') == std::string::npos) return Adopt(g_find_program_in_path(program.c_str()));
  std::string path = program[0] == '/' || workDir.empty() ? program : workDir + "/" + program;
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(path.c_str(), X_OK) != 0) return {};
  return path;
}

// ShowInFileBrowser's work on the default main context.
struct TShowRequest {
  std::vector<std::string> Uris;
  std::vector<std::string> Folders;
  std::function<bool(const std::string&, std::string&)> OpenFolder;
};

void FallBack(TShowRequest* request) {
  std::unique_ptr<TShowRequest> owned(request);
  std::string ignored;  // nobody waits for an answer any more; the folders are opened as asked
  for (const std::string& folder : owned->Folders) owned->OpenFolder(folder, ignored);
}

// Whether a session bus is there to ask (without one, connecting would try to start one).
bool SessionBusKnown() {
  const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return true;
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  struct stat st;
  return runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &st) == 0 &&
         S_ISSOCK(st.st_mode);
}

void OnShowItemsReply(GObject* source, GAsyncResult* result, gpointer data) {
  auto* request = static_cast<TShowRequest*>(data);
  GError* failure = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &failure);
  if (!reply) {
    g_error_free(failure);
    FallBack(request);
    return;
  }
  g_variant_unref(reply);
  delete request;
}

void OnSessionBus(GObject*, GAsyncResult* result, gpointer data) {
  auto* request = static_cast<TShowRequest*>(data);
  GError* failure = nullptr;
  GDBusConnection* bus = g_bus_get_finish(result, &failure);
  if (!bus) {
    g_error_free(failure);
    FallBack(request);
    return;
  }
  // The program ends its own way when the session goes (saving what it must), never by the
  // signal GLib would raise when the bus closes.
  g_dbus_connection_set_exit_on_close(bus, FALSE);
  GVariantBuilder uris;
  g_variant_builder_init(&uris, G_VARIANT_TYPE("as"));
  for (const std::string& uri : request->Uris) g_variant_builder_add(&uris, "s", uri.c_str());
  // A file browser that is not running yet is started by the bus: give it time to come up.
  g_dbus_connection_call(bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                         "org.freedesktop.FileManager1", "ShowItems",
                         g_variant_new("(ass)", &uris, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, 10000,
                         nullptr, OnShowItemsReply, request);
  g_object_unref(bus);
}

gboolean StartShowItems(gpointer data) {
  if (SessionBusKnown())
    g_bus_get(G_BUS_TYPE_SESSION, nullptr, OnSessionBus, data);
  else
    FallBack(static_cast<TShowRequest*>(data));
  return G_SOURCE_REMOVE;
}

TAppInfo InfoOf(GAppInfo* app, bool isDefault) {
  TAppInfo info;
  info.Id = Text(g_app_info_get_id(app));
  info.Name = Text(g_app_info_get_display_name(app));
  info.Executable = Text(g_app_info_get_executable(app));
  if (GIcon* icon = g_app_info_get_icon(app)) info.Icon = Adopt(g_icon_to_string(icon));
  info.IsDefault = isDefault;
  return info;
}

// A context menu's entries and actions, kept with the menu until it is destroyed.
struct TMenuState {
  std::vector<TMenuEntry> Entries;
  TContextMenuActions Actions;
};

void OnMenuItem(GtkMenuItem* item, gpointer data) {
  auto* state = static_cast<TMenuState*>(data);
  const auto* entry = static_cast<const TMenuEntry*>(g_object_get_data(G_OBJECT(item), "norvo-entry"));
  if (entry) RunMenuEntry(*entry, state->Actions);  // the menu has closed already
}

void AddMenuEntries(GtkMenuShell* shell, const std::vector<TMenuEntry>& entries, TMenuState* state) {
  for (const TMenuEntry& entry : entries) {
    GtkWidget* item = entry.Command == TMenuCommand::mcSeparator
                          ? gtk_separator_menu_item_new()
                          : gtk_menu_item_new_with_mnemonic(entry.Caption.c_str());
    gtk_widget_set_sensitive(item, entry.Enabled || entry.Command == TMenuCommand::mcSeparator);
    if (!entry.Submenu.empty()) {
      GtkWidget* submenu = gtk_menu_new();
      AddMenuEntries(GTK_MENU_SHELL(submenu), entry.Submenu, state);
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), submenu);
    } else if (entry.Command != TMenuCommand::mcSeparator) {
      g_object_set_data(G_OBJECT(item), "norvo-entry", const_cast<TMenuEntry*>(&entry));
      g_signal_connect(item, "activate", G_CALLBACK(OnMenuItem), state);
    }
    gtk_menu_shell_append(shell, item);
  }
}

gboolean DestroyMenu(gpointer menu) {
  gtk_widget_destroy(GTK_WIDGET(menu));
  return G_SOURCE_REMOVE;
}

// The chosen item is activated after the menu closes, in the same turn of the loop: the menu
// goes only afterwards.
void OnMenuClosed(GtkMenuShell* menu, gpointer) { g_idle_add(DestroyMenu, menu); }

void DeleteMenuState(gpointer state) { delete static_cast<TMenuState*>(state); }

}  // namespace

TGioShell::TGioShell() : OpenFolder(OpenWithDefault) {}

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
  if (target.empty() && linkFile.ends_with(".desktop")) target = DesktopLinkTarget(linkFile);
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

namespace platform::gtk {

bool TGioShell::Open(const std::string& path, std::string& error) {
  if (IsDesktopEntry(path)) {
    if (GDesktopAppInfo* app = g_desktop_app_info_new_from_filename(path.c_str())) {
      bool launched = LaunchDesktopEntry(app, {}, {}, error);
      g_object_unref(app);
      return launched;
    }
    // A link entry opens what it points to; any other entry is a text file like another.
    GKeyFile* keys = g_key_file_new();
    std::string url;
    if (g_key_file_load_from_file(keys, path.c_str(), G_KEY_FILE_NONE, nullptr) &&
        Adopt(g_key_file_get_string(keys, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_TYPE,
                                    nullptr)) == G_KEY_FILE_DESKTOP_TYPE_LINK)
      url = Adopt(g_key_file_get_string(keys, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_URL, nullptr));
    g_key_file_free(keys);
    if (!url.empty()) return OpenUri(url, error);
  }
  return OpenWithDefault(path, error);
}

bool TGioShell::Launch(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workDir, std::string& error) {
  if (!workDir.empty() && !IsFolder(workDir)) {
    error = "The working folder \"" + workDir + "\" does not exist";
    return false;
  }
  if (program.empty()) {
    error = "No program was named";
    return false;
  }
  std::string entry = program[0] == '/' || workDir.empty() ? program : workDir + "/" + program;
  if (IsDesktopEntry(entry)) {
    GDesktopAppInfo* app = g_desktop_app_info_new_from_filename(entry.c_str());
    if (!app) {
      error = "\"" + program + "\" is no application launcher";
      return false;
    }
    bool launched = LaunchDesktopEntry(app, args, workDir, error);
    g_object_unref(app);
    return launched;
  }
  std::string path = ResolveProgram(program, workDir);
  if (path.empty()) {
    error = "\"" + program + "\" is no program that can be started";
    return false;
  }
  std::vector<gchar*> argv;
  argv.push_back(const_cast<gchar*>(path.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<gchar*>(arg.c_str()));
  argv.push_back(nullptr);
  // Without "do not reap", GLib starts the program through an intermediate child that is
  // reaped at once, so the program leaves no zombie behind and needs no child watch.
  GError* failure = nullptr;
  if (g_spawn_async(workDir.empty() ? nullptr : workDir.c_str(), argv.data(), nullptr,
                    G_SPAWN_STDIN_FROM_DEV_NULL, nullptr, nullptr, nullptr, &failure))
    return true;
  error = TakeMessage(failure);
  return false;
}

bool TGioShell::ShowInFileBrowser(const std::vector<std::string>& paths, std::string& error) {
  auto request = std::make_unique<TShowRequest>();
  for (const std::string& path : paths) {
    if (path.empty() || path[0] != '/') {
      error = "\"" + path + "\" is no absolute path";
      return false;
    }
    request->Uris.push_back(UriOf(path));
    const std::string folder = base::ParentOf(path);
    bool known = false;
    for (const std::string& seen : request->Folders) known = known || seen == folder;
    if (!known) request->Folders.push_back(folder);
  }
  if (paths.empty()) return true;
  request->OpenFolder = OpenFolder;
  g_main_context_invoke(nullptr, StartShowItems, request.release());
  return true;
}

std::string TGioShell::ContentTypeOf(const std::string& path) {
  GFile* file = g_file_new_for_path(path.c_str());
  GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                      G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
  g_object_unref(file);
  if (!info) return {};
  std::string type = Text(g_file_info_get_content_type(info));
  g_object_unref(info);
  return type;
}

std::vector<TAppInfo> TGioShell::AppsFor(const std::string& contentType) {
  std::vector<TAppInfo> apps;
  if (contentType.empty()) return apps;
  GAppInfo* preferred = g_app_info_get_default_for_type(contentType.c_str(), FALSE);
  if (preferred) apps.push_back(InfoOf(preferred, true));
  GList* all = g_app_info_get_all_for_type(contentType.c_str());
  for (GList* item = all; item; item = item->next) {
    auto* app = static_cast<GAppInfo*>(item->data);
    if (!preferred || !g_app_info_equal(app, preferred)) apps.push_back(InfoOf(app, false));
  }
  g_list_free_full(all, g_object_unref);
  if (preferred) g_object_unref(preferred);
  return apps;
}

bool TGioShell::OpenWith(const std::string& appId, const std::vector<std::string>& paths,
                         std::string& error) {
  GDesktopAppInfo* app = g_desktop_app_info_new(appId.c_str());
  if (!app && IsDesktopEntry(appId)) app = g_desktop_app_info_new_from_filename(appId.c_str());
  if (!app) {
    error = "No application \"" + appId + "\" is installed";
    return false;
  }
  GList* files = FilesOf(paths, {});
  GError* failure = nullptr;
  const bool launched = g_app_info_launch(G_APP_INFO(app), files, nullptr, &failure);
  g_list_free_full(files, g_object_unref);
  g_object_unref(app);
  if (!launched) error = TakeMessage(failure);
  return launched;
}

void TGioShell::ContextMenu(const std::string& folder, const std::vector<std::string>& names, int x,
                            int y, TContextMenuActions actions) {
  std::vector<TAppInfo> apps;
  if (!names.empty()) apps = AppsFor(ContentTypeOf(folder + "/" + names[0]));
  auto* state = new TMenuState;
  state->Entries = ContextMenuEntries(names.size(), apps, actions);
  state->Actions = std::move(actions);
  GtkWidget* menu = gtk_menu_new();
  g_object_set_data_full(G_OBJECT(menu), "norvo-menu", state, DeleteMenuState);
  AddMenuEntries(GTK_MENU_SHELL(menu), state->Entries, state);
  g_signal_connect(menu, "deactivate", G_CALLBACK(OnMenuClosed), nullptr);
  gtk_widget_show_all(menu);
  GdkRectangle point{x, y, 1, 1};
  gtk_menu_popup_at_rect(GTK_MENU(menu), gdk_get_default_root_window(), &point, GDK_GRAVITY_NORTH_WEST,
                         GDK_GRAVITY_NORTH_WEST, nullptr);
}

void TGioShell::SetParent(void* gtkWindow) {
  if (FParent) g_object_remove_weak_pointer(G_OBJECT(FParent), &FParent);
  FParent = gtkWindow;
  if (FParent) g_object_add_weak_pointer(G_OBJECT(FParent), &FParent);
}

void TGioShell::ShowProperties(const std::vector<std::string>& paths) {
  TGtkPropertiesWindow::Open(paths, FParent);
}

}  // namespace platform::gtk
