#include "platform/Trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "base/FileIo.h"
#include "base/Path.h"
#include "platform/Fs.h"
#include "platform/ServiceSlot.h"

namespace platform {

namespace {
TServiceSlot<Trash> gTrash;

// A record holds one path and a date; anything far longer is no record of ours.
constexpr int64_t kMaxRecordBytes = 1 << 20;

bool Cancelled(const std::atomic<bool>* cancel) {
  return cancel && cancel->load(std::memory_order_acquire);
}

std::string ItemsText(size_t count) {
  return count == 1 ? "1 item" : std::to_string(count) + " items";
}

// At most a few paths in a question; the count says how many there are.
std::string PathList(const std::vector<TTrashResult>& results, const std::vector<size_t>& which) {
  constexpr size_t kShown = 5;
  std::string text;
  for (size_t i = 0; i < which.size() && i < kShown; ++i) text += "\n" + results[which[i]].Path;
  if (which.size() > kShown) text += "\n…";
  return text;
}

bool AskDeletePermanently(UiLoop& loop, Dialogs& dialogs, const std::vector<TTrashResult>& results,
                          const std::vector<size_t>& noTrash, const std::atomic<bool>* cancel) {
  const std::string text =
      ItemsText(noTrash.size()) +
      " can not be moved to the trash because the drive has none:" + PathList(results, noTrash) +
      (noTrash.size() == 1 ? "\n\nDelete it permanently?" : "\n\nDelete them permanently?");
  bool agreed = false;
  // A cancelled operation drops the question; the entries are then kept.
  loop.RunOnUiThread(
      [&] {
        agreed = dialogs.MessageBox(text, "Move to Trash", TMsgButtons::mbYesNo,
                                    TMsgKind::mkWarning) == TMsgResult::mrYes;
      },
      cancel);
  return agreed && !Cancelled(cancel);
}

void DeletePermanently(TTrashResult& result, const std::atomic<bool>* cancel) {
  const Fs::TFsResult r =
      Fs::RemoveTree(result.Path, [cancel](const std::string&) { return !Cancelled(cancel); });
  if (r) {
    result.Outcome = TTrashOutcome::toDeleted;
  } else {
    result.Outcome = TTrashOutcome::toFailed;
    result.Error = r.Error == ECANCELED ? "Deleting " + result.Path + " was cancelled part way"
                                        : "Can not delete " + r.Path + ": " + r.Message();
  }
}

// --- the trash folder layout ---

using base::JoinPath;

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char* cwd = getcwd(nullptr, 0);
  std::string result = cwd ? JoinPath(cwd, path) : path;
  free(cwd);
  return result;
}

// The record stores the path escaped as in a URL, so any byte survives the text file.
std::string Escape(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       std::string_view("/-_.~").find(char(c)) != std::string_view::npos;
    if (plain) {
      out += char(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += char(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string DeletionDate() {
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

bool EnsureFolder(const std::string& path) {
  return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  Fs::List(folder, [&](const Fs::TFileEntry& e) {
    names.push_back(e.Name);
    return true;
  });
  return names;
}
}  // namespace

void SetTrash(Trash* trash) { gTrash.Set(trash); }
Trash& TheTrash() { return gTrash.Get(); }

std::vector<TTrashResult> MoveToTrash(UiLoop& loop, Trash& trash, Dialogs& dialogs,
                                      const std::vector<std::string>& paths,
                                      const std::atomic<bool>* cancel,
                                      const std::function<void(const std::string&)>& onEach) {
  std::vector<TTrashResult> results;
  std::vector<size_t> noTrash;
  for (const std::string& path : paths) {
    TTrashResult& result = results.emplace_back(TTrashResult{path, TTrashOutcome::toKept, {}});
    if (Cancelled(cancel)) continue;
    if (onEach) onEach(path);
    std::string error;
    switch (trash.Move(path, error)) {
      case TTrashMove::tmMoved:
        result.Outcome = TTrashOutcome::toTrashed;
        break;
      case TTrashMove::tmUnsupported:
        noTrash.push_back(results.size() - 1);
        break;
      case TTrashMove::tmFailed:
        result.Outcome = TTrashOutcome::toFailed;
        result.Error = "Can not move " + path + " to the trash: " + error;
        break;
    }
  }
  if (noTrash.empty() || Cancelled(cancel) ||
      !AskDeletePermanently(loop, dialogs, results, noTrash, cancel))
    return results;
  for (size_t i : noTrash) {
    if (Cancelled(cancel)) break;
    if (onEach) onEach(results[i].Path);
    DeletePermanently(results[i], cancel);
  }
  return results;
}

std::vector<TTrashResult> MoveToTrash(const std::vector<std::string>& paths) {
  return MoveToTrash(TheUiLoop(), TheTrash(), TheDialogs(), paths);
}

bool EmptyTrashAsking(Trash& trash, Dialogs& dialogs) {
  const TTrashInfo info = trash.Info();
  if (info.Count == 0) return false;
  const std::string text =
      "Permanently delete " +
      (info.Count == 1 ? std::string("the item") : "all " + ItemsText(info.Count)) +
      " in the trash?";
  if (dialogs.MessageBox(text, "Empty Trash", TMsgButtons::mbYesNo, TMsgKind::mkWarning) !=
      TMsgResult::mrYes)
    return false;
  std::string error;
  if (trash.Empty(error)) return true;
  dialogs.MessageBox("The trash could not be emptied.\n" + error, "Empty Trash", TMsgButtons::mbOk,
                     TMsgKind::mkError);
  return false;
}

namespace trashfolder {

namespace {

// The name an entry is kept under in files/: its own name, numbered from the second try on,
// and cut short where its record's name ("<stored>.trashinfo") would pass the file system's
// limit. The record keeps the whole original path, so nothing of the name is lost.
std::string StoredName(const std::string& name, int n) {
  constexpr size_t kNameMax = 255;
  constexpr size_t kRecordSuffix = sizeof(".trashinfo") - 1;
  const std::string number = n == 1 ? std::string() : "." + std::to_string(n);
  const size_t room = kNameMax - kRecordSuffix - number.size();
  if (name.size() <= room) return name + number;
  // Keep a short extension, so the kept file still opens as what it is.
  const size_t dot = name.rfind('.');
  const std::string ext = dot != std::string::npos && dot > 0 && name.size() - dot <= 16 ? name.substr(dot) : "";
  size_t cut = room - ext.size();
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
  return name.substr(0, cut) + ext + number;
}

}  // namespace

TTrashMove Move(const std::string& trashDir, const std::string& path, std::string& error) {
  struct stat source, trash;
  if (lstat(path.c_str(), &source) != 0) {
    error = Fs::TFsResult{errno, path}.Message();
    return TTrashMove::tmFailed;
  }
  const std::string files = JoinPath(trashDir, "files"), info = JoinPath(trashDir, "info");
  if (!EnsureFolder(trashDir) || !EnsureFolder(files) || !EnsureFolder(info) ||
      stat(files.c_str(), &trash) != 0) {
    error = "the trash folder " + trashDir + " can not be made";
    return TTrashMove::tmFailed;
  }
  if (trash.st_dev != source.st_dev) return TTrashMove::tmUnsupported;
  const std::string name = base::BaseName(path);
  const std::string record =
      "[Trash Info]\nPath=" + Escape(Absolute(path)) + "\nDeletionDate=" + DeletionDate() + "\n";
  for (int n = 1;; ++n) {
    const std::string stored = StoredName(name, n);
    // The record is made first and exclusively: it reserves the name against other programs.
    const std::string infoFile = JoinPath(info, stored + ".trashinfo");
    const int fd = open(infoFile.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0 || !base::WriteAll(fd, record) || close(fd) != 0) {
      error = Fs::TFsResult{errno, infoFile}.Message();
      if (fd >= 0) unlink(infoFile.c_str());
      return TTrashMove::tmFailed;
    }
    const Fs::TFsResult moved = Fs::RenameNoReplace(path, JoinPath(files, stored));
    if (moved) return TTrashMove::tmMoved;
    unlink(infoFile.c_str());
    if (moved.Error == EEXIST) continue;  // an entry without a record holds the name
    if (moved.Error == EXDEV) return TTrashMove::tmUnsupported;
    error = moved.Message();
    return TTrashMove::tmFailed;
  }
}

TTrashInfo Info(const std::string& trashDir) {
  TTrashInfo info;
  const std::string files = JoinPath(trashDir, "files");
  for (const std::string& name : Names(files)) {
    ++info.Count;
    info.Bytes += Fs::Walk(JoinPath(files, name)).Totals.Bytes;
  }
  return info;
}

bool Empty(const std::string& trashDir, std::string& error) {
  const std::string files = JoinPath(trashDir, "files"), info = JoinPath(trashDir, "info");
  bool complete = true;
  auto failed = [&](const Fs::TFsResult& r) {
    if (complete) error = "Can not delete " + r.Path + ": " + r.Message();
    complete = false;
  };
  for (const std::string& name : Names(files))
    if (Fs::TFsResult r = Fs::RemoveTree(JoinPath(files, name)); !r) failed(r);
  // Records go only with their entries, so a kept entry can still be restored.
  for (const std::string& name : Names(info)) {
    constexpr std::string_view kSuffix = ".trashinfo";
    const std::string entry =
        name.size() > kSuffix.size() ? name.substr(0, name.size() - kSuffix.size()) : "";
    struct stat st;
    if (!entry.empty() && lstat(JoinPath(files, entry).c_str(), &st) == 0) continue;
    if (unlink(JoinPath(info, name).c_str()) != 0 && errno != ENOENT) failed({errno, JoinPath(info, name)});
  }
  unlink(JoinPath(trashDir, "directorysizes").c_str());  // a cache of sizes that are gone now
  return complete;
}

std::string OriginalPath(const std::string& trashDir, const std::string& name) {
  const std::string infoFile = JoinPath(JoinPath(trashDir, "info"), name + ".trashinfo");
  std::string text;
  if (!base::ReadWholeFile(infoFile, text, kMaxRecordBytes)) return {};
  return ParseTrashInfo(text);
}

std::string ParseTrashInfo(std::string_view text) {
  constexpr std::string_view kKey = "\nPath=";
  const size_t at = text.find(kKey);
  if (at == std::string_view::npos) return {};
  const size_t start = at + kKey.size();
  return Unescape(text.substr(start, text.find('\n', start) - start));
}

}  // namespace trashfolder

}  // namespace platform
