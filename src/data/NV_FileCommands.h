// What a folder's file commands do with the entries the user selected: trash them, put them on
// the clipboard, paste the clipboard's files, show their properties, make a new folder (and
// gather the selection into it), and show them in the desktop's file browser.
//
// The folder model hands over plain paths: its own path and the selected entries' paths in
// display order. Empty paths are left out, and a trailing "/" is dropped so that a selected link
// to a folder is handled as the link, not as the folder it leads to.
//
// Everything here runs on the interface thread. Work that may take long (trashing, pasting,
// moving to another file system) runs as a file operation with its own window, which shows its
// progress, asks about conflicts and tells what failed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/FileOps.h"
#include "platform/Fs.h"

namespace data {

// Runs on the interface thread when a file operation has ended, after its window has shown
// what failed.
using TFileCommandDone = std::function<void(const platform::TFileOpReport&)>;

// Moves the entries to the trash (never deletes them outright; where a drive has no trash the
// operation asks first). False, with nothing done, when no path was given.
bool DeleteSelected(const std::vector<std::string>& paths, TFileCommandDone onDone = {});

// Put the entries on the clipboard for moving or for copying. False, leaving the clipboard as it
// was, when no path was given.
bool CutToClipboard(const std::vector<std::string>& paths);
bool CopyToClipboard(const std::vector<std::string>& paths);

// Where a paste goes: into the selected folder when there is one (SelectedFolderPath, empty
// when the selection holds no folder), else into the folder itself.
std::string PasteTarget(const std::string& folderPath, const std::string& selectedFolderPath);
// Copies the clipboard's files into Target, or moves them when they were cut. Conflicts are
// asked in the operation's window; refusals (a folder into itself) are reported there. A cut
// is taken off the clipboard while it is pasted, so a second paste can not move the same files
// again; entries it did not move are offered again afterwards, unless something else has been
// put on the clipboard meanwhile. False when the clipboard holds no files.
bool PasteFromClipboard(const std::string& target, TFileCommandDone onDone = {});

// Shows the properties window of the entries; false when no path was given.
bool DisplayProperties(const std::vector<std::string>& paths);

// BaseName, else BaseName followed by " (1)", " (2)" …: the first name under which FolderPath
// holds no entry of any kind (a symbolic link that leads nowhere takes its name too).
std::string FreeFolderName(const std::string& folderPath, const std::string& baseName);

struct TMoveFailure {
  std::string Path;     // the selected entry, still where it was
  std::string Message;  // why it stayed
};

struct TCreateFolderResult {
  std::string Path;                  // the new folder with a trailing "/"; empty when none
  platform::Fs::TFsResult Error;     // why no folder was made
  std::vector<std::string> Moved;    // selected entries now inside it (their former paths)
  std::vector<std::string> Handed;   // on another file system: moved by a file operation
  std::vector<TMoveFailure> Failed;  // selected entries that stayed where they were
  explicit operator bool() const { return !Path.empty(); }
};

// Makes a new folder in FolderPath under the first free name. With MoveSelection and paths given
// it is a group: named by the language's "General"/"GroupName" ("New Group"), and each entry of
// Paths is moved into it under its own name, never replacing anything; otherwise it is named by
// "General"/"FolderName" ("New Folder"). A name taken between looking and making is passed over.
TCreateFolderResult CreateFolder(const std::string& folderPath, bool moveSelection,
                                 const std::vector<std::string>& paths);
// The same with MoveSelection from the option "FolderGroup".
TCreateFolderResult CreateFolder(const std::string& folderPath,
                                 const std::vector<std::string>& paths);

// Shows the entries selected in the desktop's file browser, or the folder itself when none is
// selected. False, with Error, when that could not be asked for; the caller shows it.
bool OpenInFileBrowser(const std::string& folderPath, const std::vector<std::string>& paths,
                       std::string& error);

}  // namespace data
