// The desktop's file knowledge through GIO: the shared MIME database and mimeapps.list for
// default programs and applications, desktop-entry links and launchers, the XDG user folders,
// and the file browser's ShowItems call on the session bus.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace platform::gtk {

class TGioShell : public Shell {
 public:
  TGioShell();

  std::string DefaultProgramFor(const std::string& ext) override;
  std::string ShortcutTarget(const std::string& linkFile) override;
  std::string SpecialFolder(TSpecialFolder folder) override;
  bool Open(const std::string& path, std::string& error) override;
  bool Launch(const std::string& program, const std::vector<std::string>& args,
              const std::string& workDir, std::string& error) override;
  // The bus is asked from the default main context; when no file browser answers there, the
  // folders are opened with OpenFolder from that context too.
  bool ShowInFileBrowser(const std::vector<std::string>& paths, std::string& error) override;
  std::string ContentTypeOf(const std::string& path) override;
  std::vector<TAppInfo> AppsFor(const std::string& contentType) override;
  bool OpenWith(const std::string& appId, const std::vector<std::string>& paths,
                std::string& error) override;
  // A GTK popup menu; needs the display.
  void ContextMenu(const std::string& folder, const std::vector<std::string>& names, int x, int y,
                   TContextMenuActions actions) override;

  // A GTK window per call, transient for the main window (SetParent).
  void ShowProperties(const std::vector<std::string>& paths) override;
  void SetParent(void* gtkWindow);  // forgotten when that window goes

  // Opens a folder where no file browser answers the bus: with the folder's default handler
  // unless replaced (before the first ShowInFileBrowser; tests see what would be opened).
  std::function<bool(const std::string& folder, std::string& error)> OpenFolder;

 private:
  void* FParent = nullptr;  // GtkWindow* the properties windows stay above
};

}  // namespace platform::gtk
