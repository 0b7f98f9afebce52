// The control manager: owns the top-level smart controls of the main view, arranges the docked
// ones, paints them, routes input through the control tree and broadcasts events.
//
// Input states, tested in this order on release and move: moving a control (CM_MOVING),
// resizing a window edge (Resizing), capture (LockedControl), an internal drag (CM_DRAGGING),
// normal. Moving and resizing end on the release, capture on the next release, a drag on the
// drop. The manager alone changes these states; controls ask for the transitions (Capture,
// ReleaseCapture, BeginDrag, EndDrag, StartResizing, EndResizing) and read them through the
// accessors, so the whole input state machine lives here.
//
// Every entry point (the input calls, painting, resizing, Notify) opens a TDispatchScope, so a
// control removed inside its own handler is destroyed only after the entry point returns. All
// control references are weak handles and are tested before every use.
//
// Interface thread only (checked in debug builds at the input and paint entries), except
// ReDraw/ReDrawSafe which any thread may call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ctrl/NV_ControlList.h"
#include "ctrl/NV_DragData.h"
#include "ctrl/NV_EventObject.h"
#include "ctrl/NV_SmartCtrl.h"
#include "ctrl/NV_Weak.h"
#include "gfx/Bitmap32.h"
#include "platform/Window.h"

namespace ctrl {

enum class TResizeDirection { rdLeft, rdRight, rdTop, rdBot, rdTopLeft, rdTopRight, rdBotLeft, rdBotRight };
using enum TResizeDirection;

class TCtrlManager {
 public:
  // The first manager made becomes the program-wide one that new controls use.
  TCtrlManager();
  ~TCtrlManager();
  TCtrlManager(const TCtrlManager&) = delete;
  TCtrlManager& operator=(const TCtrlManager&) = delete;

  const TLifeToken& LifeToken() const { return cmLife; }

  // The host window the manager asks for repaints; set by the main view (none in bare tests).
  void SetHostWindow(platform::Window* window) { CM_PARENT = window; }

  // Top-level controls.
  TSmartCtrl* AddControl(std::string_view id, std::unique_ptr<TSmartCtrl> smartCtrl);
  template <typename T>
  T* AddControl(std::string_view id, std::unique_ptr<T> smartCtrl) {
    return static_cast<T*>(AddControl(id, std::unique_ptr<TSmartCtrl>(std::move(smartCtrl))));
  }
  int GetControlIDX(std::string_view id) const { return CM_LIST->ControlIDX(id); }
  TSmartCtrl* GetControlData(std::string_view id) const;
  TSmartCtrl* GetControlData(int idx) const { return CM_LIST->Control(idx); }
  bool GetControlData(int idx, TSmartCtrl*& smartCtrl) const { return CM_LIST->Control(idx, smartCtrl); }
  bool Control_Show(std::string_view id);
  bool Control_Show(std::string_view id, TSmartCtrl*& smartCtrl);
  bool Control_Hide(std::string_view id);

  void Resize(int w, int h);
  void Resize() { Resize(CM_PARENT_W, CM_PARENT_H); }
  void ArrangeControls();
  void PaintControls(gfx::TBitmap32& CM_CANVAS);
  // Invalidates the host window (any thread). ReDrawSafe repaints now and waits.
  void ReDraw() const;
  void ReDrawSafe() const;

  // Input from the main view, in main-view pixels. Every press is a single press here; the
  // click delay turns a second one into a double click.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  void MouseDouble(TMouseButton button, TShiftState shift, int x, int y);
  void MouseMove(TShiftState shift, int x, int y);
  void MouseWheel(TWheelMessage& msg);
  void DragOver(TShiftState shift, int x, int y);
  void DragDrop(TMouseButton button, TShiftState shift, int x, int y);
  void KeyPress(char32_t key);
  void KeyDown(TVirtualKey key, TShiftState shift);
  void KeyUp(TVirtualKey key, TShiftState shift);
  void GlobalKeyDown(TVirtualKey key, TShiftState shift);

  TSmartCtrl* ControlAtXY(int x, int y) const;
  TSmartCtrl* ControlAtXY(int x, int y, TSmartCtrl*& ctrlParent);
  TSmartCtrl* ControlNotify(int x, int y, bool focus);
  void ControlFocus(TSmartCtrl* smartCtrl);
  void Control_Enter(TSmartCtrl* smartCtrl);
  void Control_Leave(TSmartCtrl* smartCtrl);
  // False when the handler failed; the caller's reference is cleared then.
  bool Control_Focus(TSmartCtrl* smartCtrl);
  bool Control_UnFocus(TSmartCtrl* smartCtrl);
  void Control_UnFocusAll();
  void Control_LeaveAll();
  void Control_Update();
  void Reset();

  // Delivers the event synchronously, depth first, to every top-level control in registration
  // order (hidden ones too) and below them to visible, loaded children only.
  void Notify(const TEventObject& event);
  void Notify(std::string_view event) { Notify(TEventObject(event)); }

  // Control creation from a definition such as 'CMD(Item.Copy), Align(Left)' through the
  // control factory (NV_ControlFactory.h). The list forms read "ID" (five random digits by
  // default) and create nothing when the target list holds that identifier already.
  // The control is the caller's to place; none when no maker made a live control.
  std::unique_ptr<TSmartCtrl> CreateControl(TSmartCtrl* sender, std::string_view params);
  TSmartCtrl* CreateControl(TSmartCtrl* sender, std::string_view params, TControlList& list);
  TSmartCtrl* CreateControl(TSmartCtrl* sender, std::string_view params, TControlList& list, int idx);
  TSmartCtrl* CreateControl(TSmartCtrl* sender, std::string_view params, int list);
  // One control per key of Section of the settings file, in file order; the key is its "ID".
  // Path is accepted for the callers' sake; the settings file is always the one read.
  void LoadControls(TSmartCtrl* sender, std::string_view path, std::string_view section, TControlList& list);
  void LoadControls(TSmartCtrl* sender, std::string_view path, std::string_view section, int list);

  void StartResizing(TResizeDirection direction);
  void EndResizing();

  // Capture: every release and move goes to Control until the next release. ReleaseCapture
  // ends it when Control holds it, or whoever holds it without a control.
  void Capture(TSmartCtrl* control);
  void ReleaseCapture(const TSmartCtrl* control = nullptr);
  // An internal drag that Sender begins with DragObject: Sender fills the drag record
  // (On_DragBegin) and the object draws the drag image. False, and nothing changes, while a
  // drag runs already. It ends on the drop, or with EndDrag.
  bool BeginDrag(TSmartCtrl* sender, TSmartCtrl* dragObject, int x, int y);
  void EndDrag();

  TSmartCtrl* Captured() const { return LockedControl.Get(); }
  bool Dragging() const { return CM_DRAGGING; }
  bool Moving() const { return CM_MOVING; }
  bool IsResizing() const { return Resizing; }

  // Called by a control's destructor: forgets it as the hot or focused control.
  void ControlDestroyed(const TSmartCtrl* smartCtrl);
  gfx::TPoint MousePos() const { return cmMousePos; }

  // A press anywhere asks the popup menu (when there is one) to close itself when the press is
  // outside it; the menu installs this.
  std::function<void(int x, int y)> OnPopupPress;

  Weak<TSmartCtrl> CM_ACTIVE;
  Weak<TSmartCtrl> CM_ACTIVE_TRY;
  Weak<TSmartCtrl> CM_FOCUSE;
  Weak<TSmartCtrl> CM_FOCUSE_TRY;
  std::unique_ptr<TControlList> CM_LIST;
  uint64_t cmClickTime = 0;
  bool cmClickValid = false;  // no single press yet: the first press is never a double click
  bool CM_SELECTING = false;
  TResizeDirection ResizeDirection = rdRight;
  platform::Window* CM_PARENT = nullptr;
  int CM_PARENT_W = 0;
  int CM_PARENT_H = 0;
  std::unique_ptr<TKeyStatus> KeyStatus;
  std::unique_ptr<TDragData> DragData;

 private:
  Weak<TSmartCtrl> LockedControl;
  bool CM_DRAGGING = false;
  bool CM_MOVING = false;
  bool Resizing = false;

  static bool Usable(TSmartCtrl* c) { return TSmartCtrl::Live(c) && c->SC_VISIBLE && !c->scLoading; }
  void SetCursor(platform::TCursorKind kind) const;

  gfx::TPoint cmMousePos;
  TLifeToken cmLife;
};

// The program-wide control manager, or none.
TCtrlManager* CtrlManager();

// Feeds a manager from a platform window: sizes, paints (white canvas, every control, then
// one Present), mouse, wheel and keys. The main view may use it or forward the calls itself.
class TCtrlWindowEvents : public platform::WindowEvents {
 public:
  explicit TCtrlWindowEvents(TCtrlManager& manager) : FManager(manager) {}

  gfx::TBitmap32 Canvas;

  void OnPaint(platform::Window& window) override;
  void OnResize(int clientWidth, int clientHeight) override;
  void OnMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void OnMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void OnMouseMove(TShiftState shift, int x, int y) override;
  void OnMouseWheel(int delta, TShiftState shift, int x, int y) override;
  void OnKeyDown(TVirtualKey key, TShiftState shift) override;
  void OnKeyUp(TVirtualKey key, TShiftState shift) override;
  void OnKeyPress(char32_t key) override;

 private:
  TCtrlManager& FManager;
};

}  // namespace ctrl
