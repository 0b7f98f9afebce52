#include "platform/gtk/GtkProgressWindow.h"

#include <gtk/gtk.h>

#include "base/Path.h"

namespace platform::gtk {

namespace {

// At most this many failures are listed; the rest are counted.
constexpr size_t kErrorsShown = 10;

// Labels need UTF-8; file names need not be.
std::string Displayable(const std::string& text) {
  gchar* valid = g_utf8_make_valid(text.c_str(), gssize(text.size()));
  std::string result(valid);
  g_free(valid);
  return result;
}

std::string Size(uint64_t bytes) {
  gchar* text = g_format_size(bytes);
  std::string result(text);
  g_free(text);
  return result;
}

std::string Title(TFileOpKind kind, size_t count) {
  const char* verb = kind == TFileOpKind::okCopy    ? "Copying"
                     : kind == TFileOpKind::okMove  ? "Moving"
                     : kind == TFileOpKind::okTrash ? "Moving to the trash"
                                                    : "Deleting";
  return std::string(verb) + " " +
         (count == 1 ? std::string("1 item") : std::to_string(count) + " items");
}

const char* FailureHeading(TFileOpKind kind) {
  switch (kind) {
    case TFileOpKind::okCopy:
      return "Some items could not be copied.";
    case TFileOpKind::okMove:
      return "Some items could not be moved.";
    case TFileOpKind::okDelete:
      return "Some items could not be deleted.";
    case TFileOpKind::okTrash:
      return "Some items could not be moved to the trash.";
  }
  return "";
}

class TGtkProgressWindow : public TFileOpView {
 public:
  TGtkProgressWindow(void* const* parent, TFileOpKind kind, size_t count,
                     std::function<void()> cancel)
      : FParent(parent), FKind(kind), FTitle(Title(kind, count)), FCancel(std::move(cancel)) {
    FShowTimer = g_timeout_add(FileOpUi::kShowAfterMs, &TGtkProgressWindow::ShowLater, this);
  }

  ~TGtkProgressWindow() override {
    if (FShowTimer) g_source_remove(FShowTimer);
    if (FWindow) gtk_widget_destroy(FWindow);
  }

  void Progress(const TFileOpProgress& progress) override {
    FLatest = progress;
    if (FWindow) Update();
  }

  TConflictAnswer AskConflict(const TConflict& conflict) override;
  void Finished(const TFileOpReport& report) override;

 private:
  static gboolean ShowLater(gpointer self) {
    auto* window = static_cast<TGtkProgressWindow*>(self);
    window->FShowTimer = 0;
    window->Build();
    window->Update();
    return G_SOURCE_REMOVE;
  }

  static void CancelClicked(GtkButton*, gpointer self) {
    auto* window = static_cast<TGtkProgressWindow*>(self);
    gtk_widget_set_sensitive(window->FCancelButton, FALSE);
    if (window->FCancel) window->FCancel();
  }

  // Closing the window is a cancel; the window itself goes when the operation has ended.
  static gboolean CloseRequested(GtkWidget*, GdkEvent*, gpointer self) {
    CancelClicked(nullptr, self);
    return TRUE;
  }

  GtkWindow* Owner() const {
    return FWindow ? GTK_WINDOW(FWindow) : (*FParent ? GTK_WINDOW(*FParent) : nullptr);
  }

  void Build();
  void Update();

  void* const* FParent;
  const TFileOpKind FKind;
  const std::string FTitle;
  std::function<void()> FCancel;
  TFileOpProgress FLatest;
  guint FShowTimer = 0;
  GtkWidget* FWindow = nullptr;
  GtkWidget* FCurrent = nullptr;
  GtkWidget* FBar = nullptr;
  GtkWidget* FCounts = nullptr;
  GtkWidget* FCancelButton = nullptr;
};

void TGtkProgressWindow::Build() {
  FWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(FWindow), FTitle.c_str());
  gtk_window_set_default_size(GTK_WINDOW(FWindow), 440, -1);
  gtk_window_set_resizable(GTK_WINDOW(FWindow), FALSE);
  if (*FParent) gtk_window_set_transient_for(GTK_WINDOW(FWindow), GTK_WINDOW(*FParent));
  gtk_container_set_border_width(GTK_CONTAINER(FWindow), 12);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  GtkWidget* heading = gtk_label_new(FTitle.c_str());
  gtk_label_set_xalign(GTK_LABEL(heading), 0);
  FCurrent = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(FCurrent), 0);
  gtk_label_set_ellipsize(GTK_LABEL(FCurrent), PANGO_ELLIPSIZE_MIDDLE);
  FBar = gtk_progress_bar_new();
  FCounts = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(FCounts), 0);
  FCancelButton = gtk_button_new_with_mnemonic("_Cancel");
  gtk_widget_set_halign(FCancelButton, GTK_ALIGN_END);
  g_signal_connect(FCancelButton, "clicked", G_CALLBACK(&TGtkProgressWindow::CancelClicked), this);
  g_signal_connect(FWindow, "delete-event", G_CALLBACK(&TGtkProgressWindow::CloseRequested), this);
  for (GtkWidget* child : {heading, FCurrent, FBar, FCounts, FCancelButton})
    gtk_box_pack_start(GTK_BOX(box), child, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(FWindow), box);
  gtk_widget_show_all(FWindow);
}

void TGtkProgressWindow::Update() {
  gtk_label_set_text(GTK_LABEL(FCurrent), Displayable(FLatest.Current).c_str());
  const double fraction =
      FLatest.BytesTotal > 0   ? double(FLatest.BytesDone) / double(FLatest.BytesTotal)
      : FLatest.FilesTotal > 0 ? double(FLatest.FilesDone) / double(FLatest.FilesTotal)
                               : 0.0;
  gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(FBar), fraction > 1 ? 1 : fraction);
  std::string counts =
      std::to_string(FLatest.FilesDone) + " of " + std::to_string(FLatest.FilesTotal);
  if (FLatest.BytesTotal > 0)
    counts += " — " + Size(FLatest.BytesDone) + " of " + Size(FLatest.BytesTotal);
  gtk_label_set_text(GTK_LABEL(FCounts), counts.c_str());
}

TConflictAnswer TGtkProgressWindow::AskConflict(const TConflict& conflict) {
  const bool merge = conflict.SourceIsFolder && conflict.TargetIsFolder;
  const std::string name = Displayable(base::BaseName(conflict.Target));
  const std::string where = Displayable(base::ParentOf(conflict.Target));
  const std::string primary = std::string(conflict.TargetIsFolder ? "A folder" : "An item") +
                              " named “" + name + "” already exists in " + where + ".";
  const char* secondary =
      merge ? "Merging puts both folders' contents together; items of the same name are asked "
              "about one by one."
            : "Replacing it puts the new item in its place; the existing one is deleted.";
  GtkWidget* dialog = gtk_message_dialog_new(Owner(), GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION,
                                             GTK_BUTTONS_NONE, "%s", primary.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), FTitle.c_str());
  gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", secondary);
  enum { kSkip = 1, kKeepBoth, kReplace };
  gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_Cancel", GTK_RESPONSE_CANCEL, "_Skip", kSkip,
                         "_Keep Both", kKeepBoth, merge ? "_Merge" : "_Replace", kReplace, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), kSkip);  // Enter never destroys anything
  GtkWidget* all =
      gtk_check_button_new_with_mnemonic("_Apply this choice to all further conflicts");
  gtk_box_pack_end(GTK_BOX(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog))), all,
                   FALSE, FALSE, 0);
  gtk_widget_show(all);
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  TConflictAnswer answer;
  answer.ApplyToAll = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(all));
  gtk_widget_destroy(dialog);
  answer.Choice = response == kSkip       ? TConflictChoice::ccSkip
                  : response == kKeepBoth ? TConflictChoice::ccKeepBoth
                  : response == kReplace  ? TConflictChoice::ccReplace
                                          : TConflictChoice::ccCancel;
  return answer;
}

void TGtkProgressWindow::Finished(const TFileOpReport& report) {
  if (FShowTimer) g_source_remove(FShowTimer);
  FShowTimer = 0;
  if (FWindow) gtk_widget_destroy(FWindow);
  FWindow = nullptr;
  std::string list;
  size_t errors = 0;
  for (const TFileOpItem& item : report.Items)
    for (const std::string& error : item.Errors)
      if (++errors <= kErrorsShown) list += (list.empty() ? "" : "\n") + Displayable(error);
  if (errors == 0) return;
  if (errors > kErrorsShown) list += "\n… and " + std::to_string(errors - kErrorsShown) + " more";
  GtkWidget* dialog = gtk_message_dialog_new(Owner(), GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                             GTK_BUTTONS_OK, "%s", FailureHeading(FKind));
  gtk_window_set_title(GTK_WINDOW(dialog), FTitle.c_str());
  gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", list.c_str());
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

}  // namespace

TGtkFileOpUi::~TGtkFileOpUi() { SetParent(nullptr); }

void TGtkFileOpUi::SetParent(void* gtkWindow) {
  if (FParent) g_object_remove_weak_pointer(G_OBJECT(FParent), &FParent);
  FParent = gtkWindow;
  if (FParent) g_object_add_weak_pointer(G_OBJECT(FParent), &FParent);
}

std::unique_ptr<TFileOpView> TGtkFileOpUi::Open(TFileOpKind kind, size_t count,
                                                std::function<void()> cancel) {
  return std::make_unique<TGtkProgressWindow>(&FParent, kind, count, std::move(cancel));
}

}  // namespace platform::gtk
