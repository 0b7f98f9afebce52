// The desktop clipboard through GTK. File lists are offered as x-special/gnome-copied-files
// (which carries "copy" or "cut"), text/uri-list and plain text, and read back from either of
// the first two, so other file managers and editors interoperate.
#pragma once

#include "platform/Clipboard.h"

namespace platform::gtk {

class TGtkClipboard : public Clipboard {
 public:
  void SetText(const std::string& utf8) override;
  std::string GetText() override;
  void SetFiles(const TClipFiles& files) override;
  bool GetFiles(TClipFiles& files) override;
};

// The text forms of a file list; exposed for tests.
std::string CopiedFilesText(const TClipFiles& files);  // "copy\nfile:///a\nfile:///b"
std::string UriListText(const TClipFiles& files);      // "file:///a\r\nfile:///b\r\n"
// Parses either form; false when no file URI is in it. Other URIs are skipped.
bool ParseClipFiles(const std::string& text, bool withOperation, TClipFiles& out);

}  // namespace platform::gtk
