#include "data/NV_FileIcon.h"

#include <algorithm>
#include <utility>

#include "ctrl/NV_CtrlManager.h"
#include "data/NV_ResizeBitmap.h"
#include "gfx/Draw.h"
#include "platform/ThreadCheck.h"

namespace data {

TFileIcon::TFileIcon(std::string id, TIconClaim claim)
    : fiID(std::move(id)), fiSourceData(claim.Source()), FClaim(std::move(claim)) {}

TFileIcon::~TFileIcon() {
  fiDeleting = true;
  DeleteCache();
}

void TFileIcon::DeleteCache() {
  NV_ASSERT_UI_THREAD();
  fiDeleting = true;
  fiReady = false;
  fiSourceData.reset();
  FClaim.Release();
}

// Every draw of a live handle counts as the source being in view, also while it loads.
bool TFileIcon::MayDraw() {
  if (!fiSourceData || fiDeleting) return false;
  if (TIconCache* cache = FClaim.Cache()) cache->Drawn(*fiSourceData, FClaim.Owner());
  return !fiSourceData->sdLoading && !fiSourceData->sdError && !fiReseting;
}

// A reload may bring another picture, so the copy also follows the source's publications.
bool TFileIcon::CopyIsStale(int width, int height) const {
  if (fiResizing || !fiSourceData->sdLoaded) return false;
  return width != fiWidth || height != fiHeight || FCopyVersion != fiSourceData->Version();
}

void TFileIcon::Draw(gfx::TBitmap32& target, int x, int y, int width, int height) {
  NV_ASSERT_UI_THREAD();
  if (!MayDraw()) return;
  if (CopyIsStale(width, height)) return Resize(width, height);
  if (fiReady) gfx::BlendRect(target, x, y, fiDest, fiDest.BoundsRect());
}

void TFileIcon::Draw(gfx::TBitmap32& target, const gfx::TRect& rect, int width, int height) {
  NV_ASSERT_UI_THREAD();
  if (!MayDraw()) return;
  if (CopyIsStale(width, height)) {
    fiRect = rect;
    return Resize(width, height);
  }
  if (!fiReady) return;
  const int areaW = std::max(rect.Width(), 1), areaH = std::max(rect.Height(), 1);
  gfx::BlendRect(target, rect.Left + (areaW - fiDest.Width()) / 2, rect.Top + (areaH - fiDest.Height()) / 2,
                 fiDest, fiDest.BoundsRect());
}

void TFileIcon::Resize(int width, int height) {
  NV_ASSERT_UI_THREAD();
  if (fiDeleting || fiResizing || !fiSourceData || fiReseting) return;
  fiWidth = width;
  fiHeight = height;
  fiReady = false;
  fiIconReady = false;
  fiResizing = true;
  uint64_t version = 0;
  if (!fiSourceData->CopyImage(fiBufferIcon, version)) {
    // The picture was let go since the draw looked; the copy is built once it is back.
    fiResizing = false;
    return;
  }
  if (width < fiBufferIcon.Width() || height < fiBufferIcon.Height())
    (void)ResizeBitmap(fiBufferIcon, fiDest, width, true, height);  // a failure leaves no copy
  else
    fiDest = std::move(fiBufferIcon);
  fiBufferIcon = gfx::TBitmap32();
  FCopyVersion = version;
  fiIconReady = true;
  fiResizing = false;
  fiNeedResize = false;
  fiReady = true;
  AskRepaint();
}

void TFileIcon::Reset() {
  NV_ASSERT_UI_THREAD();
  fiReseting = true;
  fiReady = false;
  fiDest = gfx::TBitmap32();
  fiWidth = 0;
  fiHeight = 0;
  fiNeedResize = true;
  fiDoneReset = true;
  fiReseting = false;
}

void TFileIcon::AskRepaint() {
  if (OnRepaint)
    OnRepaint();
  else if (ctrl::TCtrlManager* manager = ctrl::CtrlManager())
    manager->ReDraw();
}

}  // namespace data
