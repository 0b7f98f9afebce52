// What a folder and its items ask of the control that shows them: the data holder of a tab.
// The holder implements this; tests implement it with a small fake.
//
// Every call comes from the interface thread. Coordinates are main-view pixels.
#pragma once

#include <cstdint>
#include <string>

#include "gfx/Geometry.h"

namespace ctrl {
class TSkinBuffer;
}

namespace data {

class TIconCache;
class TThumbnailCache;
class TVirtualFolder;

// The kind of holder decides what opening a folder item does.
enum class THolderKind : uint8_t { hkFiles, hkSearch, hkOther };
using enum THolderKind;

class TFolderHost {
 public:
  virtual ~TFolderHost() = default;

  virtual THolderKind HolderKind() const = 0;
  // The rectangle the tiles are laid out in.
  virtual gfx::TRect ItemArea() const = 0;
  // The holder's own height: items below it or above 0 are out of view.
  virtual int HostHeight() const = 0;
  // The size picture and program icons are drawn at outside tile style.
  virtual int TestW() const { return 100; }
  virtual int TestH() const { return 100; }

  // The holder is in a wheel scroll: hover does not repaint meanwhile.
  virtual bool Scrolling() const = 0;
  virtual void SetScrolling(bool value) = 0;

  // The main view repaints when Folder is what the active tab shows.
  virtual void RepaintFor(const TVirtualFolder& folder) = 0;
  // The scroll range changed: dependent controls (the scroll bar) update.
  virtual void ScrollRangeChanged() = 0;

  // The theme pictures of items and groups ("ItemNormalBack", "GroupHotBack", "ItemNew" ...).
  virtual ctrl::TSkinBuffer* Skin() = 0;
  // Decoded icons and pictures, shared by every tab; the thumbnail cache may be none.
  virtual TIconCache& IconCache() = 0;
  virtual TThumbnailCache* Thumbnails() { return nullptr; }

  // A folder item was opened: a file holder navigates there, a search holder opens a tab.
  virtual void NavigateTo(const std::string& path) = 0;
  virtual void OpenInNewTab(const std::string& path) = 0;

  // The tips: the selection tip with a count and a total size, and the one-line tip.
  virtual void ShowSelectionTip(int count, int64_t size, int x, int y) = 0;
  virtual void HideSelectionTip() = 0;
  virtual void ShowTip(const std::string& text, int x, int y) = 0;
  virtual void HideTip() = 0;
};

}  // namespace data
