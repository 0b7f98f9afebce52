#include "ctrl/NV_ControlList.h"

#include <algorithm>

#include "config/NV_Format.h"

namespace ctrl {

TControlList::TControlList(std::string_view id)
    : CL_ID(id.empty() ? "TControlList" + config::RandomDigits() : std::string(id)) {}

TControlList::~TControlList() { Clear(); }

void TControlList::Clear() {
  // Last to first, each through DisposeControl, so a clear inside a handler is deferred too.
  while (!clItems.empty()) {
    std::unique_ptr<TSmartCtrl> last = std::move(clItems.back());
    clItems.pop_back();
    DisposeControl(std::move(last));
  }
}

TSmartCtrl* TControlList::On_AddControl(std::unique_ptr<TSmartCtrl> smartCtrl) {
  return On_AddControl(std::move(smartCtrl), Count());
}

TSmartCtrl* TControlList::On_AddControl(std::unique_ptr<TSmartCtrl> smartCtrl, int idx) {
  TSmartCtrl* added = smartCtrl.get();
  added->Parts().scParentList = this;
  clItems.insert(clItems.begin() + std::clamp(idx, 0, Count()), std::move(smartCtrl));
  return added;
}

TSmartCtrl* TControlList::AddControl(std::unique_ptr<TSmartCtrl> smartCtrl) {
  return AddControl(std::move(smartCtrl), -1);
}

TSmartCtrl* TControlList::AddControl(std::unique_ptr<TSmartCtrl> smartCtrl, int idx) {
  if (!TSmartCtrl::Live(smartCtrl.get())) {
    DisposeControl(std::move(smartCtrl));
    return nullptr;
  }
  MakeGeneratedIDUnique(*smartCtrl);
  if (!CL_ADD_DUPS && ControlExists(smartCtrl->SC_ID)) {
    DisposeControl(std::move(smartCtrl));
    return nullptr;
  }
  return idx < 0 ? On_AddControl(std::move(smartCtrl)) : On_AddControl(std::move(smartCtrl), idx);
}

void TControlList::MakeGeneratedIDUnique(TSmartCtrl& smartCtrl) const {
  // Five digits give 100,000 names per class: a list far fuller than that may keep a duplicate
  // after the draws run out, and is then treated like any duplicate.
  constexpr int kMaxDraws = 1000;
  if (!smartCtrl.HasGeneratedID()) return;
  for (int draw = 0; draw < kMaxDraws && ControlExists(smartCtrl.SC_ID); ++draw) smartCtrl.GenerateID();
}

TSmartCtrl* TControlList::Control(int idx) const {
  return idx >= 0 && idx < Count() ? clItems[idx].get() : nullptr;
}

bool TControlList::Control(int idx, TSmartCtrl*& smartCtrl) const {
  smartCtrl = Control(idx);
  if (!TSmartCtrl::Live(smartCtrl)) smartCtrl = nullptr;
  return smartCtrl != nullptr;
}

int TControlList::ControlIDX(std::string_view id) const {
  for (int i = 0; i < Count(); ++i)
    if (clItems[i]->SC_ID == id) return i;
  return -1;
}

bool TControlList::FindControl(TSmartCtrl*& smartCtrl, std::string_view id, bool) const {
  const int idx = ControlIDX(id);
  smartCtrl = idx < 0 ? nullptr : clItems[idx].get();
  return smartCtrl != nullptr;
}

bool TControlList::RemoveControl(std::string_view id) {
  const int idx = ControlIDX(id);
  if (idx < 0) return false;
  Delete(idx);
  return true;
}

void TControlList::Delete(int idx) { DisposeControl(Extract(idx)); }

std::unique_ptr<TSmartCtrl> TControlList::Extract(int idx) {
  if (idx < 0 || idx >= Count()) return nullptr;
  std::unique_ptr<TSmartCtrl> taken = std::move(clItems[idx]);
  clItems.erase(clItems.begin() + idx);
  if (TCtrlParts* parts = taken->ExistingParts()) parts->scParentList = nullptr;
  return taken;
}

void TControlList::MoveControl(int fromIDX, int toIDX) {
  if (fromIDX < 0 || fromIDX >= Count()) return;
  if (toIDX > fromIDX) --toIDX;
  toIDX = std::clamp(toIDX, 0, Count() - 1);
  if (toIDX == fromIDX) return;
  std::unique_ptr<TSmartCtrl> moved = std::move(clItems[fromIDX]);
  clItems.erase(clItems.begin() + fromIDX);
  clItems.insert(clItems.begin() + toIDX, std::move(moved));
}

bool TControlList::MoveControl(std::string_view fromID, int toIDX) {
  const int idx = ControlIDX(fromID);
  if (idx < 0) return false;
  MoveControl(idx, toIDX);
  return true;
}

TSmartCtrl* TControlList::ControlAtXY(int x, int y) const {
  for (int i = Count() - 1; i >= 0; --i) {
    TSmartCtrl* c = clItems[i].get();
    if (TSmartCtrl::Live(c) && c->Is_Control(x, y)) return c;
  }
  return nullptr;
}

bool TControlList::LastVisible(TSmartCtrl*& smartCtrl, int startIDX, TAlignSide align) const {
  smartCtrl = nullptr;
  for (int i = std::min(startIDX, Count()) - 1; i >= 0; --i) {
    TSmartCtrl* c = clItems[i].get();
    if (TSmartCtrl::Live(c) && c->SC_VISIBLE && c->SC_ALIGN == align) {
      smartCtrl = c;
      return true;
    }
  }
  return false;
}

std::vector<Weak<TSmartCtrl>> TControlList::Snapshot() const {
  std::vector<Weak<TSmartCtrl>> snapshot;
  snapshot.reserve(clItems.size());
  for (const auto& c : clItems) snapshot.emplace_back(c.get());
  return snapshot;
}

template <typename Fn>
void TControlList::ForEachShown(Fn fn) {
  for (const Weak<TSmartCtrl>& each : Snapshot())
    if (TSmartCtrl* c = each.Get(); c != nullptr && c->SC_VISIBLE && !c->scLoading) fn(*c);
}

template <typename Fn>
void TControlList::ForEachLoaded(Fn fn) {
  for (const Weak<TSmartCtrl>& each : Snapshot())
    if (TSmartCtrl* c = each.Get(); c != nullptr && !c->scLoading) fn(*c);
}

void TControlList::Force_On_Update() {
  ForEachShown([](TSmartCtrl& c) { c.On_Update(); });
}

void TControlList::Force_On_UnFocus(TMouseButton button, TShiftState shift, int x, int y) {
  ForEachShown([&](TSmartCtrl& c) { c.On_UnFocus(button, shift, x, y); });
}

void TControlList::Force_On_Enter(int x, int y) {
  ForEachShown([&](TSmartCtrl& c) { c.On_Enter(x, y); });
}

void TControlList::Force_On_Leave(int x, int y) {
  ForEachShown([&](TSmartCtrl& c) { c.On_Leave(x, y); });
}

void TControlList::Force_On_Paint(gfx::TBitmap32& canvas) {
  ForEachShown([&](TSmartCtrl& c) { c.On_Paint(canvas); });
}

void TControlList::GlobalKeyDown(TVirtualKey key, TShiftState shift) {
  ForEachShown([&](TSmartCtrl& c) { c.On_GlobalKeyDown(key, shift); });
}

void TControlList::NotifyEvent(const TEventObject& event) {
  ForEachShown([&](TSmartCtrl& c) { c.On_Notify(event); });
}

void TControlList::Force_On_Resize(int w, int h) {
  ForEachLoaded([&](TSmartCtrl& c) { c.On_Resize(w, h); });
}

void TControlList::Force_On_Arrange() {
  ForEachLoaded([](TSmartCtrl& c) { c.On_Arrange(); });
}

}  // namespace ctrl
