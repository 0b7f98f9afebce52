// The test backend's shell knowledge: tables the test fills. Symbolic links are real (the test
// backend uses the real file system); other shortcut targets come from Targets.
#pragma once

#include <map>
#include <string>

#include "platform/Shell.h"

namespace platform::headless {

class THeadlessShell : public Shell {
 public:
  std::map<std::string, std::string> Programs;  // extension in lower case (".txt") -> program
  std::map<std::string, std::string> Targets;   // shortcut file -> target
  std::map<TSpecialFolder, std::string> Folders;

  std::string DefaultProgramFor(const std::string& ext) override;
  std::string ShortcutTarget(const std::string& linkFile) override;
  std::string SpecialFolder(TSpecialFolder folder) override;
};

}  // namespace platform::headless
