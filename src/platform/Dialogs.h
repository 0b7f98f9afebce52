// Native dialogs, modal to the main window. Interface thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct TFileFilter {
  std::string Name;                   // "Pictures"
  std::vector<std::string> Patterns;  // "*.png", "*.jpg"
};

enum class TMsgButtons { mbOk, mbOkCancel, mbYesNo, mbYesNoCancel };
enum class TMsgKind { mkInfo, mkWarning, mkQuestion, mkError };
enum class TMsgResult { mrOk, mrCancel, mrYes, mrNo };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Each returns the chosen path, or nothing when the user cancels.
  virtual std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) = 0;
  virtual std::optional<std::string> OpenFile(const std::string& title, const std::vector<TFileFilter>& filters,
                                              const std::string& start) = 0;
  // A file chooser for pictures with a preview of the selected file.
  virtual std::optional<std::string> OpenPicture(const std::string& title, const std::string& start) = 0;
  // Closing the box without a button gives mrCancel (mrNo for Yes/No boxes).
  virtual TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons,
                                TMsgKind kind) = 0;
};

void SetDialogs(Dialogs* dialogs);
Dialogs& TheDialogs();

}  // namespace platform
