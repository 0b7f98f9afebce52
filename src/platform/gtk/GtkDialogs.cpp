#include "platform/gtk/GtkDialogs.h"

#include <gtk/gtk.h>

namespace platform::gtk {

namespace {

GtkWidget* NewChooser(void* parent, const std::string& title, GtkFileChooserAction action, const char* accept) {
  GtkWidget* dialog = gtk_file_chooser_dialog_new(title.c_str(), GTK_WINDOW(parent), action, "_Cancel",
                                                  GTK_RESPONSE_CANCEL, accept, GTK_RESPONSE_ACCEPT, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(dialog), TRUE);
  return dialog;
}

void StartIn(GtkWidget* dialog, const std::string& start) {
  if (start.empty()) return;
  if (g_file_test(start.c_str(), G_FILE_TEST_IS_DIR))
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), start.c_str());
  else if (g_file_test(start.c_str(), G_FILE_TEST_EXISTS))
    gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(dialog), start.c_str());
}

void AddFilter(GtkWidget* dialog, const TFileFilter& filter) {
  GtkFileFilter* f = gtk_file_filter_new();
  gtk_file_filter_set_name(f, filter.Name.c_str());
  for (const std::string& pattern : filter.Patterns) gtk_file_filter_add_pattern(f, pattern.c_str());
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), f);
}

std::optional<std::string> RunChooser(GtkWidget* dialog) {
  std::optional<std::string> result;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
    if (name) result = std::string(name);
    g_free(name);
  }
  gtk_widget_destroy(dialog);
  return result;
}

void UpdatePreview(GtkFileChooser* chooser, gpointer image) {
  gchar* name = gtk_file_chooser_get_preview_filename(chooser);
  GdkPixbuf* pixbuf = name ? gdk_pixbuf_new_from_file_at_size(name, 200, 200, nullptr) : nullptr;
  g_free(name);
  gtk_image_set_from_pixbuf(GTK_IMAGE(image), pixbuf);
  if (pixbuf) g_object_unref(pixbuf);
  gtk_file_chooser_set_preview_widget_active(chooser, pixbuf != nullptr);
}

}  // namespace

void TGtkDialogs::SetParent(void* gtkWindow) {
  if (FParent) g_object_remove_weak_pointer(G_OBJECT(FParent), &FParent);
  FParent = gtkWindow;
  if (FParent) g_object_add_weak_pointer(G_OBJECT(FParent), &FParent);
}

std::optional<std::string> TGtkDialogs::ChooseFolder(const std::string& title, const std::string& start) {
  GtkWidget* dialog = NewChooser(FParent, title, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Select");
  StartIn(dialog, start);
  return RunChooser(dialog);
}

std::optional<std::string> TGtkDialogs::OpenFile(const std::string& title, const std::vector<TFileFilter>& filters,
                                                 const std::string& start) {
  GtkWidget* dialog = NewChooser(FParent, title, GTK_FILE_CHOOSER_ACTION_OPEN, "_Open");
  for (const TFileFilter& filter : filters) AddFilter(dialog, filter);
  StartIn(dialog, start);
  return RunChooser(dialog);
}

std::optional<std::string> TGtkDialogs::OpenPicture(const std::string& title, const std::string& start) {
  GtkWidget* dialog = NewChooser(FParent, title, GTK_FILE_CHOOSER_ACTION_OPEN, "_Open");
  AddFilter(dialog, {"Pictures", {"*.png", "*.PNG", "*.jpg", "*.JPG", "*.jpeg", "*.JPEG", "*.bmp", "*.BMP"}});
  AddFilter(dialog, {"All files", {"*"}});
  GtkWidget* preview = gtk_image_new();
  gtk_file_chooser_set_preview_widget(GTK_FILE_CHOOSER(dialog), preview);
  g_signal_connect(dialog, "update-preview", G_CALLBACK(UpdatePreview), preview);
  StartIn(dialog, start);
  return RunChooser(dialog);
}

TMsgResult TGtkDialogs::MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons,
                                   TMsgKind kind) {
  const GtkMessageType type = kind == TMsgKind::mkWarning    ? GTK_MESSAGE_WARNING
                              : kind == TMsgKind::mkQuestion ? GTK_MESSAGE_QUESTION
                              : kind == TMsgKind::mkError    ? GTK_MESSAGE_ERROR
                                                             : GTK_MESSAGE_INFO;
  GtkWidget* dialog = gtk_message_dialog_new(GTK_WINDOW(FParent), GTK_DIALOG_MODAL, type, GTK_BUTTONS_NONE, "%s",
                                             text.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
  switch (buttons) {
    case TMsgButtons::mbOk: gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", GTK_RESPONSE_OK); break;
    case TMsgButtons::mbOkCancel:
      gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_Cancel", GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr);
      break;
    case TMsgButtons::mbYesNo:
      gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_No", GTK_RESPONSE_NO, "_Yes", GTK_RESPONSE_YES, nullptr);
      break;
    case TMsgButtons::mbYesNoCancel:
      gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_Cancel", GTK_RESPONSE_CANCEL, "_No", GTK_RESPONSE_NO, "_Yes",
                             GTK_RESPONSE_YES, nullptr);
      break;
  }
  // Enter picks the first choice (OK or Yes), as message boxes do.
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), buttons == TMsgButtons::mbYesNo || buttons == TMsgButtons::mbYesNoCancel
                                                          ? GTK_RESPONSE_YES
                                                          : GTK_RESPONSE_OK);
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  switch (response) {
    case GTK_RESPONSE_OK: return TMsgResult::mrOk;
    case GTK_RESPONSE_YES: return TMsgResult::mrYes;
    case GTK_RESPONSE_NO: return TMsgResult::mrNo;
    default: return buttons == TMsgButtons::mbYesNo ? TMsgResult::mrNo : buttons == TMsgButtons::mbOk ? TMsgResult::mrOk : TMsgResult::mrCancel;
  }
}

}  // namespace platform::gtk
