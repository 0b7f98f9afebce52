// What the desktop knows and does with files: default programs, link targets, the user's
// folders, opening and launching, and showing entries in the desktop's file browser.
// Programs are always started with an argument vector, never through a shell command line, so
// no name or argument is ever read as shell syntax.
// Threads: every call may be made from any thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

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

// An application the desktop knows (a desktop entry).
struct TAppInfo {
  std::string Id;          // "org.example.Editor.desktop": what OpenWith takes
  std::string Name;        // as menus show it
  std::string Executable;  // the program its command line starts
  std::string Icon;        // an icon theme name or an icon file; empty when it has none
  bool IsDefault = false;  // the default for the content type it was asked for
};

// What a context menu does with its entries. An entry whose action is empty is shown disabled.
// Actions run on the interface thread, after the menu has closed.
struct TContextMenuActions {
  std::function<void()> Open, Cut, Copy, Paste, Trash, Rename, Properties;
  std::function<void(const std::string& appId)> OpenWith;
};

enum class TMenuCommand { mcOpen, mcOpenWith, mcCut, mcCopy, mcPaste, mcTrash, mcRename, mcProperties, mcSeparator };

struct TMenuEntry {
  TMenuCommand Command = TMenuCommand::mcSeparator;
  std::string Caption;  // with "_" before the access key
  bool Enabled = false;
  std::string AppId;                // an application under Open With
  std::vector<TMenuEntry> Submenu;  // Open With's applications
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

  // Opens Path with the default application for its content type; a ".desktop" launcher starts
  // its application instead. False, with Error, when nothing could be started.
  virtual bool Open(const std::string& path, std::string& error) = 0;
  // Starts Program with Args, each passed as one argument just as it is, in the folder WorkDir
  // (empty: this process's current folder). Program is an executable file, a program name
  // found on PATH, or a ".desktop" launcher, which gets Args as the files to open (relative
  // ones taken from WorkDir) and keeps its own working folder when it names one.
  virtual bool Launch(const std::string& program, const std::vector<std::string>& args,
                      const std::string& workDir, std::string& error) = 0;
  // Shows Paths selected in the desktop's file browser; where there is none, opens the folders
  // that hold them. True when that was asked for; the browser may appear a moment later.
  virtual bool ShowInFileBrowser(const std::vector<std::string>& paths, std::string& error) = 0;
  // The content type of the entry at Path ("text/plain", "inode/directory"); empty when it
  // cannot be read.
  virtual std::string ContentTypeOf(const std::string& path) = 0;
  // The applications that can open content of Type, the default one first.
  virtual std::vector<TAppInfo> AppsFor(const std::string& contentType) = 0;
  // Opens Paths with the application AppId (a TAppInfo::Id).
  virtual bool OpenWith(const std::string& appId, const std::vector<std::string>& paths,
                        std::string& error) = 0;
  // Interface thread: shows the context menu for the entries Names of Folder at the screen
  // point (X, Y) and returns at once (ContextMenuEntries tells what it holds).
  virtual void ContextMenu(const std::string& folder, const std::vector<std::string>& names, int x,
                           int y, TContextMenuActions actions) = 0;
  // Interface thread: shows a properties window for Paths (one or several) and returns at once;
  // sizes below folders are counted on a worker and fill in as they come.
  virtual void ShowProperties(const std::vector<std::string>& paths) = 0;
};

// The entries of the context menu for NameCount names whose first has the applications Apps:
// Open, Open With (the applications), Cut, Copy, Paste, Move to Trash, Rename (one name only)
// and Properties, with separators between the groups.
std::vector<TMenuEntry> ContextMenuEntries(size_t nameCount, const std::vector<TAppInfo>& apps,
                                           const TContextMenuActions& actions);
// Runs the action of Entry, when it is enabled and has one.
void RunMenuEntry(const TMenuEntry& entry, const TContextMenuActions& actions);

void SetShell(Shell* shell);
Shell& TheShell();

}  // namespace platform
