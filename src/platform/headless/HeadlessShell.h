// The test backend's shell: tables the test fills, and the calls that would start or show
// something recorded instead of run. Symbolic links are real (the test backend uses the real
// file system); other shortcut targets come from Targets. Fill the tables before the service is
// used from several threads; the recorded calls may be read at any time.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace platform::headless {

enum class TShellVerb { svOpen, svLaunch, svShowInFileBrowser, svOpenWith, svContextMenu, svProperties };

struct TShellCall {
  TShellVerb Verb = TShellVerb::svOpen;
  std::string Target;              // the path opened, the program launched, the application,
                                   // the folder of a context menu
  std::vector<std::string> Args;   // the arguments, or the paths shown or opened, or the names
  std::string WorkDir;             // Launch only
};

class THeadlessShell : public Shell {
 public:
  std::map<std::string, std::string> Programs;  // extension in lower case (".txt") -> program
  std::map<std::string, std::string> Targets;   // shortcut file -> target
  std::map<TSpecialFolder, std::string> Folders;
  std::map<std::string, std::string> ContentTypes;        // path -> content type
  std::map<std::string, std::vector<TAppInfo>> Apps;      // content type -> applications
  // When not empty, every call that would start or show something fails with this error (and
  // is still recorded).
  std::string FailWith;

  std::string DefaultProgramFor(const std::string& ext) override;
  std::string ShortcutTarget(const std::string& linkFile) override;
  std::string SpecialFolder(TSpecialFolder folder) override;
  bool Open(const std::string& path, std::string& error) override;
  bool Launch(const std::string& program, const std::vector<std::string>& args,
              const std::string& workDir, std::string& error) override;
  bool ShowInFileBrowser(const std::vector<std::string>& paths, std::string& error) override;
  std::string ContentTypeOf(const std::string& path) override;
  std::vector<TAppInfo> AppsFor(const std::string& contentType) override;
  bool OpenWith(const std::string& appId, const std::vector<std::string>& paths,
                std::string& error) override;
  // Recorded; the menu stays "open" until the test chooses from it.
  void ContextMenu(const std::string& folder, const std::vector<std::string>& names, int x, int y,
                   TContextMenuActions actions) override;

  void ShowProperties(const std::vector<std::string>& paths) override;

  // Interface thread: the entries of the menu shown last, and choosing one of them (an
  // application under Open With by its id); false when the menu has no such enabled entry.
  std::vector<TMenuEntry> MenuEntries() const;
  bool ChooseFromMenu(TMenuCommand command, const std::string& appId = {});

  // What was asked for so far, in order.
  std::vector<TShellCall> Calls() const;
  void ClearCalls();

 private:
  bool Record(TShellCall call, std::string& error);

  mutable std::mutex FLock;
  std::vector<TShellCall> FCalls;
  std::vector<TMenuEntry> FMenu;  // interface thread
  TContextMenuActions FMenuActions;
};

}  // namespace platform::headless
