#include "platform/gtk/GtkPropertiesWindow.h"

#include <gio/gio.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <set>

#include "platform/Fs.h"
#include "platform/UiLoop.h"
#include "platform/gtk/GlibText.h"

namespace platform::gtk {

namespace {

std::set<TGtkPropertiesWindow*>& OpenWindows() {
  static std::set<TGtkPropertiesWindow*> windows;
  return windows;
}

std::string KindOf(const std::string& path) {
  Fs::TFileEntry entry;
  if (Fs::Stat(path, entry) && entry.Directory) return "Folder";
  GFile* file = g_file_new_for_path(path.c_str());
  GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE, nullptr,
                                      nullptr);
  std::string kind;
  if (info) {
    const char* type = g_file_info_get_content_type(info);
    if (type) kind = Adopt(g_content_type_get_description(type));
    g_object_unref(info);
  }
  g_object_unref(file);
  return kind.empty() ? "File" : kind;
}

std::string TitleFor(const std::vector<std::string>& paths, const std::vector<TPropertyLine>& lines) {
  const std::string name = lines.empty() ? std::string() : lines.front().Value;
  return (paths.size() == 1 ? name : std::to_string(paths.size()) + " items") + " – Properties";
}

}  // namespace

TGtkPropertiesWindow* TGtkPropertiesWindow::Open(const std::vector<std::string>& paths, void* parent) {
  if (paths.empty()) return nullptr;
  auto* window = new TGtkPropertiesWindow(paths, parent);
  OpenWindows().insert(window);
  return window;
}

void TGtkPropertiesWindow::CloseAll() {
  const std::set<TGtkPropertiesWindow*> windows = OpenWindows();
  for (TGtkPropertiesWindow* window : windows) window->Close();
}

TGtkPropertiesWindow::TGtkPropertiesWindow(const std::vector<std::string>& paths, void* parent) : FPaths(paths) {
  const std::vector<TPropertyLine> lines = PropertyLines(paths, KindOf);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  FWindow = window;
  gtk_window_set_title(GTK_WINDOW(window), TitleFor(paths, lines).c_str());
  if (parent) gtk_window_set_transient_for(GTK_WINDOW(window), GTK_WINDOW(parent));
  gtk_window_set_default_size(GTK_WINDOW(window), 420, -1);
  GtkWidget* grid = gtk_grid_new();
  FGrid = grid;
  gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 14);
  gtk_container_set_border_width(GTK_CONTAINER(grid), 16);
  gtk_container_add(GTK_CONTAINER(window), grid);
  for (const TPropertyLine& line : lines) {
    AddLine(line.Caption, line.Value);
    if (line.Caption == "Location") AddLine("Size", TotalsText({}, false));  // after the location
  }
  for (auto& [caption, label] : FLabels)
    if (caption == "Size") FSizeLabel = label;
  g_signal_connect(window, "destroy", G_CALLBACK(&TGtkPropertiesWindow::OnDestroy), this);
  g_signal_connect(window, "key-press-event", G_CALLBACK(+[](GtkWidget* w, GdkEventKey* e, gpointer) -> gboolean {
                     if (e->keyval != GDK_KEY_Escape) return FALSE;
                     gtk_widget_destroy(w);  // Escape closes, as dialogs do
                     return TRUE;
                   }),
                   nullptr);
  gtk_widget_show_all(window);
  gtk_window_set_focus(GTK_WINDOW(window), nullptr);
  for (auto& [caption, label] : FLabels) gtk_label_select_region(GTK_LABEL(label), 0, 0);  // nothing preselected
  StartCount();
}

TGtkPropertiesWindow::~TGtkPropertiesWindow() {
  FCancel = true;
  FAlive->store(false);
  if (FCounter.joinable()) FCounter.join();  // the count stops at its next entry
  OpenWindows().erase(this);
}

void TGtkPropertiesWindow::Close() {
  if (FWindow) gtk_widget_destroy(static_cast<GtkWidget*>(FWindow));  // OnDestroy deletes this
}

void TGtkPropertiesWindow::OnDestroy(void*, void* self) {
  auto* window = static_cast<TGtkPropertiesWindow*>(self);
  window->FWindow = nullptr;
  delete window;
}

void TGtkPropertiesWindow::AddLine(const std::string& caption, const std::string& value) {
  GtkWidget* name = gtk_label_new(caption.c_str());
  gtk_widget_set_halign(name, GTK_ALIGN_END);
  gtk_widget_set_valign(name, GTK_ALIGN_START);
  gtk_style_context_add_class(gtk_widget_get_style_context(name), "dim-label");
  GtkWidget* text = gtk_label_new(value.c_str());
  gtk_label_set_selectable(GTK_LABEL(text), TRUE);
  gtk_label_set_line_wrap(GTK_LABEL(text), TRUE);
  gtk_label_set_line_wrap_mode(GTK_LABEL(text), PANGO_WRAP_WORD_CHAR);
  gtk_label_set_xalign(GTK_LABEL(text), 0);
  gtk_widget_set_hexpand(text, TRUE);
  gtk_grid_attach(GTK_GRID(FGrid), name, 0, FRows, 1, 1);
  gtk_grid_attach(GTK_GRID(FGrid), text, 1, FRows, 1, 1);
  ++FRows;
  FLabels.emplace_back(caption, text);
}

void TGtkPropertiesWindow::StartCount() {
  // The worker only counts; every label change is posted back to the interface thread and
  // dropped when the window has gone meanwhile.
  FCounter = std::thread([this, paths = FPaths, alive = FAlive] {
    auto show = [this, alive](const TTreeTotals& totals, bool final) {
      Post([this, alive, totals, final] {
        if (alive->load()) ShowTotals(totals, final);
      });
    };
    const TTreeTotals totals = CountTrees(paths, FCancel, [&](const TTreeTotals& t) { show(t, false); });
    if (!FCancel.load()) show(totals, true);
  });
}

void TGtkPropertiesWindow::ShowTotals(const TTreeTotals& totals, bool final) {
  if (FSizeLabel) gtk_label_set_text(GTK_LABEL(FSizeLabel), TotalsText(totals, final).c_str());
  if (final) FCountDone = true;
}

std::string TGtkPropertiesWindow::Value(const std::string& caption) const {
  for (const auto& [name, label] : FLabels)
    if (name == caption) return gtk_label_get_text(GTK_LABEL(label));
  return {};
}

}  // namespace platform::gtk
