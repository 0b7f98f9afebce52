// Native GTK dialogs, modal to the main window.
#pragma once

#include "platform/Dialogs.h"

namespace platform::gtk {

class TGtkDialogs : public Dialogs {
 public:
  // The GtkWindow* the dialogs are modal to; nullptr for none. Forgotten when that window goes.
  void SetParent(void* gtkWindow);

  std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) override;
  std::optional<std::string> OpenFile(const std::string& title, const std::vector<TFileFilter>& filters,
                                      const std::string& start) override;
  std::optional<std::string> OpenPicture(const std::string& title, const std::string& start) override;
  TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons,
                        TMsgKind kind) override;

 private:
  void* FParent = nullptr;
};

}  // namespace platform::gtk
