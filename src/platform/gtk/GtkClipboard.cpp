#include "platform/gtk/GtkClipboard.h"

#include <gtk/gtk.h>

#include <sstream>

namespace platform::gtk {

namespace {

constexpr const char* kCopiedFiles = "x-special/gnome-copied-files";
constexpr const char* kUriList = "text/uri-list";

enum TTargetInfo : guint { tiCopiedFiles, tiUriList, tiText };

GtkClipboard* SystemClipboard() { return gtk_clipboard_get(GDK_SELECTION_CLIPBOARD); }

std::string UriOf(const std::string& path) {
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  std::string result = uri ? uri : "";
  g_free(uri);
  return result;
}

std::string PlainText(const TClipFiles& files) {
  std::string text;
  for (const std::string& path : files.Paths) text += (text.empty() ? "" : "\n") + path;
  return text;
}

void ProvideFiles(GtkClipboard*, GtkSelectionData* selection, guint info, gpointer data) {
  const auto* files = static_cast<const TClipFiles*>(data);
  const std::string text = info == tiCopiedFiles ? CopiedFilesText(*files)
                           : info == tiUriList   ? UriListText(*files)
                                                 : PlainText(*files);
  if (info == tiText) {
    gtk_selection_data_set_text(selection, text.c_str(), int(text.size()));
    return;
  }
  gtk_selection_data_set(selection, gtk_selection_data_get_target(selection), 8,
                         reinterpret_cast<const guchar*>(text.data()), int(text.size()));
}

void ForgetFiles(GtkClipboard*, gpointer data) { delete static_cast<TClipFiles*>(data); }

bool ReadTarget(const char* target, std::string& out) {
  GtkSelectionData* data = gtk_clipboard_wait_for_contents(SystemClipboard(), gdk_atom_intern_static_string(target));
  if (!data) return false;
  const int length = gtk_selection_data_get_length(data);
  const guchar* bytes = gtk_selection_data_get_data(data);
  if (length > 0 && bytes) out.assign(reinterpret_cast<const char*>(bytes), size_t(length));
  gtk_selection_data_free(data);
  return length > 0;
}

}  // namespace

std::string CopiedFilesText(const TClipFiles& files) {
  std::string text = files.Op == TFileClipOp::fcCut ? "cut" : "copy";
  for (const std::string& path : files.Paths) text += "\n" + UriOf(path);
  return text;
}

std::string UriListText(const TClipFiles& files) {
  std::string text;
  for (const std::string& path : files.Paths) text += UriOf(path) + "\r\n";
  return text;
}

bool ParseClipFiles(const std::string& text, bool withOperation, TClipFiles& out) {
  out = TClipFiles{};
  std::istringstream lines(text);
  std::string line;
  bool first = true;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first && withOperation) {
      first = false;
      out.Op = line == "cut" ? TFileClipOp::fcCut : TFileClipOp::fcCopy;
      if (line == "cut" || line == "copy") continue;
    }
    first = false;
    if (line.empty() || line[0] == '#') continue;  // uri-list comments
    gchar* path = g_filename_from_uri(line.c_str(), nullptr, nullptr);
    if (path) out.Paths.emplace_back(path);
    g_free(path);
  }
  return !out.Paths.empty();
}

void TGtkClipboard::SetText(const std::string& utf8) {
  gtk_clipboard_set_text(SystemClipboard(), utf8.c_str(), int(utf8.size()));
  gtk_clipboard_store(SystemClipboard());
}

std::string TGtkClipboard::GetText() {
  gchar* text = gtk_clipboard_wait_for_text(SystemClipboard());
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

void TGtkClipboard::SetFiles(const TClipFiles& files) {
  GtkTargetList* list = gtk_target_list_new(nullptr, 0);
  gtk_target_list_add(list, gdk_atom_intern_static_string(kCopiedFiles), 0, tiCopiedFiles);
  gtk_target_list_add(list, gdk_atom_intern_static_string(kUriList), 0, tiUriList);
  gtk_target_list_add_text_targets(list, tiText);
  int count = 0;
  GtkTargetEntry* targets = gtk_target_table_new_from_list(list, &count);
  gtk_clipboard_set_with_data(SystemClipboard(), targets, guint(count), ProvideFiles, ForgetFiles,
                              new TClipFiles(files));
  gtk_target_table_free(targets, count);
  gtk_target_list_unref(list);
}

bool TGtkClipboard::GetFiles(TClipFiles& files) {
  std::string text;
  if (ReadTarget(kCopiedFiles, text) && ParseClipFiles(text, true, files)) return true;
  text.clear();
  return ReadTarget(kUriList, text) && ParseClipFiles(text, false, files);
}

}  // namespace platform::gtk
