// A child list of a control (or the manager's list of top-level controls). The list owns its
// controls: removing an entry destroys the control (deferred while a dispatch runs, see
// DisposeControl). Walks that call handlers iterate over a snapshot of weak handles, so a
// handler may add or remove controls of the list meanwhile; entries that died are skipped.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ctrl/NV_SmartCtrl.h"

namespace ctrl {

class TControlList {
 public:
  // Without an identifier: "TControlList" and five random digits.
  explicit TControlList(std::string_view id = {});
  virtual ~TControlList();
  TControlList(const TControlList&) = delete;
  TControlList& operator=(const TControlList&) = delete;

  std::string CL_ID;
  bool CL_AUTO_FREE = true;
  bool CL_ADD_DUPS = true;

  // Slot 1: appends, sets the control's scParentList, returns it.
  virtual TSmartCtrl* On_AddControl(std::unique_ptr<TSmartCtrl> smartCtrl);
  // Slot 2: inserts at IDX (clamped to 0 ... count), sets scParentList, returns it.
  virtual TSmartCtrl* On_AddControl(std::unique_ptr<TSmartCtrl> smartCtrl, int idx);

  // None for a missing control. A control that still carries its generated identifier gets new
  // digits while the list holds that identifier; otherwise, with CL_ADD_DUPS false, a control
  // whose SC_ID is already in the list is destroyed and none returned.
  TSmartCtrl* AddControl(std::unique_ptr<TSmartCtrl> smartCtrl);
  TSmartCtrl* AddControl(std::unique_ptr<TSmartCtrl> smartCtrl, int idx);

  int Count() const { return static_cast<int>(clItems.size()); }
  TSmartCtrl* Control(int idx) const;
  // In range and live.
  bool Control(int idx, TSmartCtrl*& smartCtrl) const;
  int ControlIDX(std::string_view id) const;
  bool ControlExists(std::string_view id) const { return ControlIDX(id) >= 0; }
  // Only this list is searched; SearchChild is kept for callers that pass it.
  bool FindControl(TSmartCtrl*& smartCtrl, std::string_view id, bool searchChild = false) const;
  bool RemoveControl(std::string_view id);
  void Delete(int idx);
  // Takes the entry out of the list without destroying it.
  std::unique_ptr<TSmartCtrl> Extract(int idx);
  void Clear();

  // Forward moves land one before ToIDX (the entry leaves its old place first); the target
  // is clamped to 0 ... count - 1.
  void MoveControl(int fromIDX, int toIDX);
  bool MoveControl(std::string_view fromID, int toIDX);

  // The last live control whose Is_Control holds (visibility is not tested).
  TSmartCtrl* ControlAtXY(int x, int y) const;
  // The nearest entry before StartIDX that is visible and aligned to Align.
  bool LastVisible(TSmartCtrl*& smartCtrl, int startIDX, TAlignSide align) const;

  // Every live, visible, not loading control, first to last.
  void Force_On_Update();
  void Force_On_UnFocus(TMouseButton button, TShiftState shift, int x, int y);
  void Force_On_Enter(int x, int y);
  void Force_On_Leave(int x, int y);
  void Force_On_Paint(gfx::TBitmap32& canvas);
  void GlobalKeyDown(TVirtualKey key, TShiftState shift);
  void NotifyEvent(const TEventObject& event);
  // Every live, not loading control, visible or not.
  void Force_On_Resize(int w, int h);
  void Force_On_Arrange();

  std::vector<Weak<TSmartCtrl>> Snapshot() const;

 private:
  void MakeGeneratedIDUnique(TSmartCtrl& smartCtrl) const;
  template <typename Fn>
  void ForEachShown(Fn fn);
  template <typename Fn>
  void ForEachLoaded(Fn fn);

  std::vector<std::unique_ptr<TSmartCtrl>> clItems;
};

}  // namespace ctrl
