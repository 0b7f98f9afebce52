// An icon handle: one per icon of an item ("General", ...). It shows a shared source from the
// icon cache scaled to the size the item asks for, keeping the scaled copy until the size or
// the source's picture changes, or the item drops it when it leaves the view.
//
// Pictures are never enlarged: a source smaller than the request is shown as it is. Nothing is
// drawn while the source is loading, has failed, or the copy is being built or dropped; the
// draw that finds the copy stale builds it, draws nothing and asks for a repaint.
//
// Threads: a handle belongs to the interface thread, which draws, scales, resets and destroys
// it, so it needs no lock or task of its own. The flags are atomics all the same, for the icon
// workers that look at them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "data/NV_IconCache.h"
#include "data/NV_SourceData.h"
#include "gfx/Bitmap32.h"
#include "gfx/Geometry.h"

namespace data {

class TVirtualFolder;
class TItemData;

class TFileIcon {
 public:
  TFileIcon(std::string id, TIconClaim claim);
  ~TFileIcon();
  TFileIcon(const TFileIcon&) = delete;
  TFileIcon& operator=(const TFileIcon&) = delete;

  int fiWidth = 0;   // the size of the scaled copy last requested
  int fiHeight = 0;
  std::atomic<bool> fiIconReady{false};
  std::atomic<bool> fiResizing{false};
  std::atomic<bool> fiReseting{false};
  std::atomic<bool> fiDeleting{false};
  gfx::TBitmap32 fiBufferIcon;  // the source's picture while the copy is built
  std::string fiID;
  std::shared_ptr<TSourceData> fiSourceData;  // none once the claim is released
  gfx::TBitmap32 fiDest;                      // the scaled copy
  std::atomic<bool> fiNeedResize{true};
  TVirtualFolder* fiFolder = nullptr;  // the item's folder and the item; not owned
  TItemData* fiItemData = nullptr;
  std::atomic<bool> fiReady{false};      // fiDest may be drawn
  std::atomic<bool> fiDoneReset{false};  // the copy was dropped at least once
  gfx::TRect fiRect;                     // the rectangle of the draw that last asked for a copy

  // Asked after a copy was built; without one the control manager repaints (when there is one).
  std::function<void()> OnRepaint;

  // Draws the copy for W x H blended at (X, Y), or centred in Rect.
  void Draw(gfx::TBitmap32& target, int x, int y, int width, int height);
  void Draw(gfx::TBitmap32& target, const gfx::TRect& rect, int width, int height);
  // Builds the copy for Width x Height from the source's picture.
  void Resize(int width, int height);
  // Drops the copy; the next draw builds it again.
  void Reset();
  // Releases the handle's claim on its source; the destructor does it.
  void DeleteCache();

 private:
  bool MayDraw();
  bool CopyIsStale(int width, int height) const;
  void AskRepaint();

  TIconClaim FClaim;
  uint64_t FCopyVersion = 0;  // the source publication the copy was built from
};

}  // namespace data
