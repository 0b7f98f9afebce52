#include <algorithm>

#include "data/NV_FolderIcons.h"
#include "data/NV_FolderLayout.h"
#include "data/NV_VirtualFolder.h"
#include "platform/ThreadCheck.h"

namespace data {

// ---- Layout ---------------------------------------------------------------------------------

void TVirtualFolder::Arrange() {
  NV_ASSERT_UI_THREAD();
  FRows.clear();
  FTallestRow = 0;
  FRowsSorted = true;
  if (vfGroups.empty() || vfHolder == nullptr) {
    CalcScroll();
    return;
  }
  const gfx::TRect area = vfHolder->ItemArea();
  const int width = area.Right - area.Left;
  const TGroupData* prev = nullptr;  // the last visible group before this one
  for (const auto& owned : vfGroups) {
    TGroupData& group = *owned;
    if (group.ClassName() == std::string_view(TGroupData::StaticClassName()) || group.ID_STYLE == vsList) {
      group.ID_WIDTH = width - kHeaderWidthCut - kRightMargin;
      group.ID_HEIGHT = kHeaderHeight;
    }
    if (prev != nullptr) {
      int x = prev->SC_POS.X + kTileGapX + prev->ID_WIDTH;
      int y = prev->SC_POS.Y;
      if (x + kTileGapX + group.ID_WIDTH > width - kRightMargin) {
        x = area.Left;
        y = prev->SC_POS.Y + kTileGapY + prev->gdHeight;
      }
      group.SC_POS = {x, y};
    } else {
      group.SC_POS = {area.Left, area.Top - vfScrollPos};
    }
    if (group.ID_VISIBLE) NoteLaidOut(group);
    group.gdHeight = 0;
    if (group.gdCollapsed) {
      group.SubItems_Arrange();  // notes each tile it places
    } else if (group.ID_VISIBLE) {
      // A group that keeps its items where they were still shows them there.
      if (const TItemList* items = group.ExistingSubItems())
        for (const auto& item : *items)
          if (item->ID_VISIBLE) NoteLaidOut(*item);
    }
    if (group.gdHeight == 0) group.gdHeight = group.ID_HEIGHT;
    if (group.ID_VISIBLE) prev = &group;
  }
  // Rows come in display order, unless a group kept its items where they were.
  if (!FRowsSorted)
    std::stable_sort(FRows.begin(), FRows.end(), [](const TLayoutRow& a, const TLayoutRow& b) { return a.Top < b.Top; });
  CalcScroll();
}

void TVirtualFolder::NoteLaidOut(const TItemData& item) {
  const TGroupData* group = item.idGroupData;
  if (group != nullptr && !group->ID_VISIBLE) return;  // placed, but neither painted nor hit
  const int top = item.SC_POS.Y;
  const int bottom = top + item.ID_HEIGHT;
  const int place = item.idPointer;
  if (!FRows.empty() && FRows.back().Top == top) {
    TLayoutRow& row = FRows.back();
    row.First = std::min(row.First, place);
    row.Last = std::max(row.Last, place);
    row.Bottom = std::max(row.Bottom, bottom);
  } else {
    if (!FRows.empty() && top < FRows.back().Top) FRowsSorted = false;
    FRows.push_back({top, bottom, place, place});
  }
  FTallestRow = std::max(FTallestRow, FRows.back().Bottom - FRows.back().Top);
}

void TVirtualFolder::RowsBetween(int top, int bottom, int& first, int& last) const {
  first = 0;
  last = -1;
  if (FRows.empty()) return;
  // The first row that may reach Top starts at most the tallest row's height above it.
  auto from = std::lower_bound(FRows.begin(), FRows.end(), top - FTallestRow,
                               [](const TLayoutRow& row, int value) { return row.Top < value; });
  auto to = std::upper_bound(from, FRows.end(), bottom,
                             [](int value, const TLayoutRow& row) { return value < row.Top; });
  for (auto row = from; row != to; ++row) {
    if (row->Bottom < top) continue;
    if (last < first) first = row->First;
    first = std::min(first, row->First);
    last = std::max(last, row->Last);
  }
}

void TVirtualFolder::CalcScroll() {
  vfScrollMax = 0;
  TGroupData* first = nullptr;
  TGroupData* last = nullptr;
  if (vfHolder != nullptr && Group_Get(TEnd::First, first) && Group_Get(TEnd::Last, last)) {
    const gfx::TRect area = vfHolder->ItemArea();
    vfScrollMax = std::max(0, last->SC_POS.Y + last->gdHeight - first->SC_POS.Y - (area.Bottom - area.Top) + 20);
  }
  if (vfHolder != nullptr) vfHolder->ScrollRangeChanged();
}

// ---- Wheel ----------------------------------------------------------------------------------

void TVirtualFolder::On_MouseWheel(ctrl::TWheelMessage& message) {
  const int delta = message.WheelDelta;
  const bool down = delta < 0 && vfScrollPos < vfScrollMax;
  const bool up = delta > 0 && vfScrollPos > vfScrollMin;
  if (!down && !up) return;
  if (vfHolder != nullptr) vfHolder->SetScrolling(true);
  // A notch in the same direction restarts the deceleration; one the other way turns it round.
  vfScrollTemp = kWheelSteps;
  vfScrollDir = delta;
  message.Result = 1;
  WheelStep();
  if (vfScrollTemp > 1 && vfScrollPos < vfScrollMax && platform::HasUiLoop())
    FWheelTimer.SetInterval(kWheelTickMs), FWheelTimer.Start();
}

void TVirtualFolder::WheelStep() {
  const int step = config::Options()->Mouse.WheelScroll * (vfScrollDir < 0 ? 1 : -1);
  vfScrollPos = std::clamp(step * vfScrollTemp + vfScrollPos, 0, std::max(0, vfScrollMax));
  --vfScrollTemp;
  Arrange();
  ReDraw();
  if (vfScrollTemp > 1 && vfScrollPos < vfScrollMax) return;
  FWheelTimer.Stop();
  if (vfHolder != nullptr) vfHolder->SetScrolling(false);
}

// ---- Painting -------------------------------------------------------------------------------

void TVirtualFolder::PaintItems(gfx::TBitmap32& target) {
  NV_ASSERT_UI_THREAD();
  if (vfHolder == nullptr) return;
  FPainting = true;
  FDrawn.clear();
  const int height = vfHolder->HostHeight();
  for (const auto& group : vfGroups) {
    if (!group->ID_VISIBLE) continue;
    if (group->SC_POS.Y > height || group->SC_POS.Y + group->gdHeight < 0) continue;
    group->On_Paint(target);
  }
  FPainting = false;
  // The icon tasks follow the view: a paint outside the window they were started on starts
  // them again on the new one.
  int first = 0;
  int last = -1;
  RowsBetween(0, height, first, last);
  if (last >= first && !vfGlobalStop && !FIcons->Covers(first, last)) SetIcons(true);
  // Tiles that left the view let go of their caption caches and scaled icons.
  for (auto it = FOnScreen.begin(); it != FOnScreen.end();) {
    if (FDrawn.count(*it) == 0) {
      TItemData* item = *it;
      it = FOnScreen.erase(it);
      item->ReleaseViewParts();
    } else {
      ++it;
    }
  }
}

void TVirtualFolder::PaintGroupItems(TGroupData& group, gfx::TBitmap32& target) {
  if (vfHolder == nullptr) return;
  int first = 0;
  int last = -1;
  RowsBetween(0, vfHolder->HostHeight(), first, last);
  for (int i = std::max(first, group.idPointer + 1); i <= last; ++i) {
    TItemData* item = vfPointers[size_t(i)].ItemData;
    if (item->idGroupData != &group) {
      if (item->idGroupData != nullptr && item->idGroupData->idPointer > group.idPointer) break;
      continue;
    }
    if (item->ID_VISIBLE && item->Showing()) item->On_Paint(target);
  }
}

void TVirtualFolder::NoteOnScreen(TItemData& item) {
  FOnScreen.insert(&item);
  if (FPainting) FDrawn.insert(&item);
}

}  // namespace data
