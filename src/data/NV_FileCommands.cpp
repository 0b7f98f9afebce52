#include "data/NV_FileCommands.h"

#include <cerrno>
#include <utility>

#include "base/Path.h"
#include "config/NV_LocaleManager.h"
#include "config/NV_Settings.h"
#include "platform/Clipboard.h"
#include "platform/Shell.h"

namespace data {

namespace {

// The selection as the file system should see it: no empty paths, no trailing "/" (which would
// make a link to a folder stand for the folder).
std::vector<std::string> EntryPaths(const std::vector<std::string>& paths) {
  std::vector<std::string> entries;
  entries.reserve(paths.size());
  for (const std::string& path : paths)
    if (!path.empty()) entries.push_back(base::WithoutTrailingSlash(path));
  return entries;
}

bool PutOnClipboard(const std::vector<std::string>& paths, platform::TFileClipOp op) {
  std::vector<std::string> entries = EntryPaths(paths);
  if (entries.empty()) return false;
  platform::TheClipboard().SetFiles({std::move(entries), op});
  return true;
}

bool ClipboardIsEmpty(platform::Clipboard& clipboard) {
  platform::TClipFiles files;
  return !clipboard.GetFiles(files) && clipboard.GetText().empty();
}

// The sources of a move that are still where they were: skipped, failed or cancelled.
std::vector<std::string> NotMoved(const platform::TFileOpReport& report) {
  std::vector<std::string> stayed;
  for (const platform::TFileOpItem& item : report.Items)
    if (item.Outcome == platform::TItemOutcome::ioSkipped ||
        item.Outcome == platform::TItemOutcome::ioFailed ||
        item.Outcome == platform::TItemOutcome::ioCancelled)
      stayed.push_back(item.Source);
  return stayed;
}

// After a cut has been pasted: the entries it left behind go back on the clipboard, unless the
// user has put something else there meanwhile.
void OfferWhatStayed(const platform::TFileOpReport& report) {
  std::vector<std::string> stayed = NotMoved(report);
  platform::Clipboard& clipboard = platform::TheClipboard();
  if (stayed.empty() || !ClipboardIsEmpty(clipboard)) return;
  clipboard.SetFiles({std::move(stayed), platform::TFileClipOp::fcCut});
}

std::string NumberedFolderName(const std::string& baseName, int number) {
  return number == 0 ? baseName : baseName + " (" + std::to_string(number) + ")";
}

// A language file could offer a text that is no name (empty, or holding "/"): the English name
// stands in.
std::string NewFolderBaseName(bool group) {
  const char* english = group ? "New Group" : "New Folder";
  const std::string localised =
      config::Localized("General", group ? "GroupName" : "FolderName", english);
  return platform::Fs::ValidName(localised) ? localised : english;
}

// Makes the folder under the first free numbered name. The creation itself is the test: a name
// that anything holds (also a link leading nowhere) refuses with EEXIST, so another program that
// takes a name first only moves this one on to the next number.
platform::Fs::TFsResult MakeNumberedFolder(const std::string& folderPath,
                                           const std::string& baseName, std::string& made) {
  for (int number = 0;; ++number) {
    const std::string candidate = base::JoinPath(folderPath, NumberedFolderName(baseName, number));
    platform::Fs::TFsResult result = platform::Fs::CreateFolder(candidate);
    if (result) {
      made = candidate;
      return result;
    }
    if (result.Error != EEXIST) return result;
  }
}

// Moves each entry into Folder under its own name. Entries on another file system than Folder
// go together to one file operation, which copies, checks and only then removes them.
void MoveInto(const std::string& folder, const std::vector<std::string>& entries,
              TCreateFolderResult& result) {
  for (const std::string& entry : entries) {
    const std::string target = base::JoinPath(folder, base::BaseName(entry));
    const platform::Fs::TFsResult moved = platform::Fs::RenameNoReplace(entry, target);
    if (moved)
      result.Moved.push_back(entry);
    else if (moved.Error == EXDEV)
      result.Handed.push_back(entry);
    else
      result.Failed.push_back({entry, "Can not move " + entry + ": " + moved.Message()});
  }
  if (result.Handed.empty()) return;
  platform::TFileOpRequest request;
  request.Kind = platform::TFileOpKind::okMove;
  request.Sources = result.Handed;
  request.TargetFolder = folder;
  platform::TheFileOps().Start(std::move(request));
}

}  // namespace

bool DeleteSelected(const std::vector<std::string>& paths, TFileCommandDone onDone) {
  std::vector<std::string> entries = EntryPaths(paths);
  if (entries.empty()) return false;
  platform::TFileOpRequest request;
  request.Kind = platform::TFileOpKind::okTrash;
  request.Sources = std::move(entries);
  request.OnDone = std::move(onDone);
  platform::TheFileOps().Start(std::move(request));
  return true;
}

bool CutToClipboard(const std::vector<std::string>& paths) {
  return PutOnClipboard(paths, platform::TFileClipOp::fcCut);
}

bool CopyToClipboard(const std::vector<std::string>& paths) {
  return PutOnClipboard(paths, platform::TFileClipOp::fcCopy);
}

std::string PasteTarget(const std::string& folderPath, const std::string& selectedFolderPath) {
  return selectedFolderPath.empty() ? folderPath : selectedFolderPath;
}

bool PasteFromClipboard(const std::string& target, TFileCommandDone onDone) {
  platform::Clipboard& clipboard = platform::TheClipboard();
  platform::TClipFiles files;
  if (!clipboard.GetFiles(files)) return false;
  std::vector<std::string> sources = EntryPaths(files.Paths);
  if (sources.empty()) return false;
  const bool cut = files.Op == platform::TFileClipOp::fcCut;
  platform::TFileOpRequest request;
  request.Kind = cut ? platform::TFileOpKind::okMove : platform::TFileOpKind::okCopy;
  request.Sources = std::move(sources);
  request.TargetFolder = base::WithoutTrailingSlash(target);
  request.OnDone = [cut, onDone = std::move(onDone)](const platform::TFileOpReport& report) {
    if (cut) OfferWhatStayed(report);
    if (onDone) onDone(report);
  };
  // The cut is used up by this paste; a paste meanwhile finds nothing to move.
  if (cut) clipboard.SetText("");
  platform::TheFileOps().Start(std::move(request));
  return true;
}

bool DisplayProperties(const std::vector<std::string>& paths) {
  const std::vector<std::string> entries = EntryPaths(paths);
  if (entries.empty()) return false;
  platform::TheShell().ShowProperties(entries);
  return true;
}

std::string FreeFolderName(const std::string& folderPath, const std::string& baseName) {
  platform::Fs::TFileEntry entry;
  for (int number = 0;; ++number) {
    std::string name = NumberedFolderName(baseName, number);
    // Stat describes a link itself, so one that leads nowhere still counts as taken.
    if (!platform::Fs::Stat(base::JoinPath(folderPath, name), entry)) return name;
  }
}

TCreateFolderResult CreateFolder(const std::string& folderPath, bool moveSelection,
                                 const std::vector<std::string>& paths) {
  const std::vector<std::string> entries =
      moveSelection ? EntryPaths(paths) : std::vector<std::string>{};
  const bool group = !entries.empty();
  TCreateFolderResult result;
  // An empty path would make the folder wherever this process happens to be.
  if (folderPath.empty()) {
    result.Error = {ENOENT, folderPath};
    return result;
  }
  std::string made;
  result.Error = MakeNumberedFolder(folderPath, NewFolderBaseName(group), made);
  if (!result.Error) return result;
  result.Path = base::WithTrailingSlash(made);
  if (group) MoveInto(made, entries, result);
  return result;
}

TCreateFolderResult CreateFolder(const std::string& folderPath,
                                 const std::vector<std::string>& paths) {
  return CreateFolder(folderPath, config::Options()->General.FolderGroup, paths);
}

bool OpenInFileBrowser(const std::string& folderPath, const std::vector<std::string>& paths,
                       std::string& error) {
  std::vector<std::string> entries = EntryPaths(paths);
  if (entries.empty()) entries.push_back(folderPath);
  return platform::TheShell().ShowInFileBrowser(entries, error);
}

}  // namespace data
