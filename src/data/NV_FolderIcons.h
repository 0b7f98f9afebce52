// The icon tasks of a folder: "SetIcons_General" loads the pictures of file types, and
// "SetIcons_Special0" and "SetIcons_Special1" the pictures and program icons read from files.
//
// Phases: on the interface thread, Start takes a snapshot of what to load: the sources of the
// tiles in view first, then those of a read-ahead window around them. The folder holds a claim
// on each, so nothing it names can go while a worker loads it (file-type sources for as long as
// the folder lives, path sources while they are in the window). The workers then walk their
// part of the snapshot, each source taken by exactly one of them (TSourceData::TakeLoad), and
// publish what they decode through the icon cache; they never touch an item. Repaints are
// posted to the interface thread, where a dead folder drops them.
//
// A soft stop (Stop) ends each pass at its next source; a source taken but not loaded is given
// back, so a later pass loads it.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ctrl/NV_Weak.h"
#include "data/NV_IconCache.h"
#include "data/NV_ItemData.h"

namespace data {

class TVirtualFolder;
class TThumbnailCache;

class TFolderIcons {
 public:
  explicit TFolderIcons(TVirtualFolder& folder);
  ~TFolderIcons();
  TFolderIcons(const TFolderIcons&) = delete;
  TFolderIcons& operator=(const TFolderIcons&) = delete;

  // Takes a new snapshot and starts the three tasks on it.
  void Start();
  void Stop();
  // The flat-list range the last snapshot was taken around; a paint outside it asks for a new
  // one.
  bool Covers(int first, int last) const { return first >= FWindowFirst && last <= FWindowLast; }

  // Tiles beyond the view whose sources are loaded ahead, on each side.
  static constexpr int kReadAhead = 240;

  struct TJob {
    TIconRequest Request;
    std::shared_ptr<TSourceData> Source;
    bool Showing = false;
  };
  struct TSnapshot {
    std::vector<TJob> General;
    std::vector<TJob> Special;
    std::atomic<size_t> NextSpecial{0};
    TIconCache* Cache = nullptr;
    TThumbnailCache* Thumbnails = nullptr;
    ctrl::Weak<TVirtualFolder> Folder;
  };

 private:
  std::shared_ptr<TSnapshot> TakeSnapshot();
  void StartTask(const std::string& name, bool special, int index);

  TVirtualFolder& FFolder;
  std::string FOwner;  // the owner the folder's claims are entered under
  std::unordered_map<std::string, TIconClaim> FTypeClaims;  // for the folder's lifetime
  std::unordered_map<std::string, TIconClaim> FWindowClaims;
  std::shared_ptr<TSnapshot> FSnapshot;
  int FWindowFirst = 0;
  int FWindowLast = -1;
};

}  // namespace data
