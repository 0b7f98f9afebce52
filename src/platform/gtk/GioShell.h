// The desktop's file knowledge through GIO: the shared MIME database and mimeapps.list for
// default programs, desktop-entry links, and the XDG user folders.
#pragma once

#include "platform/Shell.h"

namespace platform::gtk {

class TGioShell : public Shell {
 public:
  std::string DefaultProgramFor(const std::string& ext) override;
  std::string ShortcutTarget(const std::string& linkFile) override;
  std::string SpecialFolder(TSpecialFolder folder) override;
};

}  // namespace platform::gtk
