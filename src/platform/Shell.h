// What the desktop knows about files: default programs, link targets and the user's folders.
// Threads: every call may be made from any thread.
#pragma once

#include <string>

namespace platform {

// The user's folders the system asks for by index (0 to 6 in that order).
enum class TSpecialFolder {
  sfDesktop,
  sfStartMenu,
  sfPrograms,
  sfStartup,
  sfDocuments,
  sfWindows,
  sfSystem
};

class Shell {
 public:
  virtual ~Shell() = default;
  // The full path of the program that opens files with the extension Ext (".txt") by default;
  // empty when none is known.
  virtual std::string DefaultProgramFor(const std::string& ext) = 0;
  // The path a shortcut stands for: a symbolic link's target, the file a ".desktop" link
  // points to; empty for anything else (".lnk" files are plain files here).
  virtual std::string ShortcutTarget(const std::string& linkFile) = 0;
  // The folder, without a trailing "/"; empty when this system has no such folder.
  virtual std::string SpecialFolder(TSpecialFolder folder) = 0;
};

void SetShell(Shell* shell);
Shell& TheShell();

}  // namespace platform
