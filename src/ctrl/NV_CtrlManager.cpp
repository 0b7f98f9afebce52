#include "ctrl/NV_CtrlManager.h"

#include <algorithm>

#include "base/Ascii.h"
#include "config/NV_Convert.h"
#include "config/NV_Format.h"
#include "config/NV_Ini.h"
#include "config/NV_PathMacros.h"
#include "config/NV_Settings.h"
#include "config/NV_System.h"
#include "ctrl/NV_ControlFactory.h"
#include "gfx/Draw.h"
#include "platform/ThreadCheck.h"
#include "platform/UiLoop.h"

namespace ctrl {

namespace {

TCtrlManager* gManager = nullptr;

// A stored delay below 0 counts as 0: no press is then a double click by time.
uint64_t ClickDelay() { return uint64_t(std::max(0, config::Options()->Mouse.ClickDelay)); }

}  // namespace

TCtrlManager* CtrlManager() { return gManager; }

TCtrlManager::TCtrlManager()
    : CM_LIST(std::make_unique<TControlList>()),
      KeyStatus(std::make_unique<TKeyStatus>()),
      DragData(std::make_unique<TDragData>()) {
  if (gManager == nullptr) gManager = this;
}

TCtrlManager::~TCtrlManager() {
  // The controls go while the manager is still whole: their destructors tell it.
  CM_LIST.reset();
  cmLife.Expire();
  if (gManager == this) gManager = nullptr;
}

TSmartCtrl* TCtrlManager::AddControl(std::string_view id, std::unique_ptr<TSmartCtrl> smartCtrl) {
  NV_ASSERT_UI_THREAD();
  if (!smartCtrl) return nullptr;
  if (GetControlIDX(id) >= 0) {
    DisposeControl(std::move(smartCtrl));
    return nullptr;
  }
  smartCtrl->SC_ID = id;
  smartCtrl->Parts().Manager = this;
  return CM_LIST->AddControl(std::move(smartCtrl));
}

TSmartCtrl* TCtrlManager::GetControlData(std::string_view id) const {
  TSmartCtrl* found = nullptr;
  return CM_LIST->FindControl(found, id) ? found : nullptr;
}

bool TCtrlManager::Control_Show(std::string_view id) {
  TSmartCtrl* c = GetControlData(id);
  if (c == nullptr) return false;
  c->SetVisible(true);
  return true;
}

bool TCtrlManager::Control_Show(std::string_view id, TSmartCtrl*& smartCtrl) {
  smartCtrl = GetControlData(id);
  if (smartCtrl == nullptr) return false;
  smartCtrl->SetVisible(true);
  smartCtrl->On_Resize(0, 0);
  return true;
}

bool TCtrlManager::Control_Hide(std::string_view id) {
  TSmartCtrl* c = GetControlData(id);
  if (c == nullptr) return false;
  c->SetVisible(false);
  return true;
}

// ---- Arrangement and painting --------------------------------------------------------------

void TCtrlManager::Resize(int w, int h) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  CM_PARENT_W = w;
  CM_PARENT_H = h;
  for (const Weak<TSmartCtrl>& each : CM_LIST->Snapshot())
    if (TSmartCtrl* c = each.Get(); Usable(c)) c->On_Resize(w, h);
  ArrangeControls();
}

void TCtrlManager::ArrangeControls() {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  const int w = CM_PARENT_W;
  const int h = CM_PARENT_H;
  int top = 0;
  int bottom = h;
  TControlList& list = *CM_LIST;

  for (int i = 0; i < list.Count(); ++i) {
    TSmartCtrl* c = list.Control(i);
    if (!TSmartCtrl::Live(c) || !c->SC_VISIBLE) continue;
    if (c->SC_ALIGN != asTop && c->SC_ALIGN != asBot) continue;
    TSmartCtrl* prev = nullptr;
    list.LastVisible(prev, i, c->SC_ALIGN);
    if (c->SC_ALIGN == asTop) {
      c->SetPosition({0, prev != nullptr ? prev->SC_POS.Y + prev->SC_HEIGHT : 0});
      c->SetWidth(w);
      top = c->SC_POS.Y + c->SC_HEIGHT;
    } else {
      c->SetPosition({0, prev != nullptr ? prev->SC_POS.Y - c->SC_HEIGHT : h - c->SC_HEIGHT});
      c->SetWidth(w);
      bottom = c->SC_POS.Y;
    }
  }

  for (int i = 0; i < list.Count(); ++i) {
    TSmartCtrl* c = list.Control(i);
    if (!TSmartCtrl::Live(c)) continue;
    if (c->SC_ALIGN != asLeft && c->SC_ALIGN != asRight) continue;
    TSmartCtrl* prev = nullptr;
    list.LastVisible(prev, i, c->SC_ALIGN);
    int x;
    if (c->SC_ALIGN == asLeft)
      x = prev != nullptr ? prev->SC_POS.X + prev->SC_WIDTH : 0;
    else
      x = prev != nullptr ? prev->SC_POS.X - c->SC_WIDTH : w - c->SC_WIDTH;
    if (c->SC_CENTER) {
      c->SetPosition({x, top + (bottom - top - c->SC_HEIGHT) / 2});
    } else {
      c->SetPosition({x, top});
      c->SetHeight(bottom - top);
    }
  }
}

void TCtrlManager::PaintControls(gfx::TBitmap32& CM_CANVAS) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  for (const Weak<TSmartCtrl>& each : CM_LIST->Snapshot())
    if (TSmartCtrl* c = each.Get(); Usable(c)) c->On_Paint(CM_CANVAS);
  if (CM_DRAGGING && DragData->ddType != dtFiles) {
    const gfx::TBitmap32& image = DragData->ddImage;
    gfx::BlendRect(CM_CANVAS, DragData->ddPos.X + 10, DragData->ddPos.Y + 10, image, image.BoundsRect());
  }
}

void TCtrlManager::ReDraw() const {
  if (CM_PARENT != nullptr) CM_PARENT->Invalidate();
}

void TCtrlManager::ReDrawSafe() const {
  if (CM_PARENT != nullptr) CM_PARENT->RedrawSync();
}

void TCtrlManager::SetCursor(platform::TCursorKind kind) const {
  if (CM_PARENT != nullptr) CM_PARENT->SetCursor(kind);
}

// ---- Hot and focus tracking ----------------------------------------------------------------

TSmartCtrl* TCtrlManager::ControlAtXY(int x, int y) const {
  for (int i = CM_LIST->Count() - 1; i >= 0; --i) {
    TSmartCtrl* c = CM_LIST->Control(i);
    if (TSmartCtrl::Live(c) && c->SC_VISIBLE && c->SC_ENABLED && c->Is_Control(x, y)) return c;
  }
  return nullptr;
}

TSmartCtrl* TCtrlManager::ControlAtXY(int x, int y, TSmartCtrl*& ctrlParent) {
  if (TSmartCtrl* locked = LockedControl.Get()) {
    ctrlParent = locked;
    return locked;
  }
  ctrlParent = ControlAtXY(x, y);
  if (ctrlParent == nullptr) return nullptr;
  Weak<TSmartCtrl> parent = ctrlParent;
  TSmartCtrl* hot = ctrlParent->ItemNotify(x, y, false);
  ctrlParent = parent.Get();
  return hot != nullptr ? hot : ctrlParent;
}

TSmartCtrl* TCtrlManager::ControlNotify(int x, int y, bool focus) {
  CM_ACTIVE_TRY = ControlAtXY(x, y);
  if (!CM_ACTIVE_TRY.Same(CM_ACTIVE.Get())) {
    if (TSmartCtrl* old = CM_ACTIVE.Get()) Control_Leave(old);
    if (TSmartCtrl* fresh = CM_ACTIVE_TRY.Get()) Control_Enter(fresh);
  }
  CM_ACTIVE = CM_ACTIVE_TRY;
  if (!focus) return CM_ACTIVE_TRY.Get();

  if (TSmartCtrl* hit = CM_ACTIVE_TRY.Get()) CM_FOCUSE_TRY = hit->ItemNotify(x, y, true);
  if (!CM_FOCUSE_TRY.Same(CM_FOCUSE.Get())) {
    if (TSmartCtrl* old = CM_FOCUSE.Get(); old != nullptr && !Control_UnFocus(old)) CM_FOCUSE = nullptr;
    CM_FOCUSE = CM_FOCUSE_TRY;
    if (TSmartCtrl* fresh = CM_FOCUSE.Get(); fresh != nullptr && !Control_Focus(fresh)) {
      CM_FOCUSE = nullptr;
      CM_FOCUSE_TRY = nullptr;
    }
  }
  return CM_ACTIVE_TRY.Get();
}

void TCtrlManager::ControlFocus(TSmartCtrl* smartCtrl) {
  if (!TSmartCtrl::Live(smartCtrl)) return;
  if (!CM_ACTIVE.Same(smartCtrl)) {
    if (TSmartCtrl* old = CM_ACTIVE.Get()) Control_Leave(old);
    Control_Enter(smartCtrl);
  }
  CM_ACTIVE = smartCtrl;
  CM_ACTIVE_TRY = smartCtrl;
  if (!CM_FOCUSE.Same(smartCtrl)) {
    if (TSmartCtrl* old = CM_FOCUSE.Get()) Control_UnFocus(old);
    CM_FOCUSE = smartCtrl;
    CM_FOCUSE_TRY = smartCtrl;
    if (!Control_Focus(smartCtrl)) CM_FOCUSE = CM_FOCUSE_TRY = nullptr;
  }
}

void TCtrlManager::Control_Enter(TSmartCtrl* smartCtrl) {
  smartCtrl->On_Enter(cmMousePos.X, cmMousePos.Y);
  ReDraw();
}

void TCtrlManager::Control_Leave(TSmartCtrl* smartCtrl) {
  smartCtrl->On_Leave(cmMousePos.X, cmMousePos.Y);
  ReDraw();
}

bool TCtrlManager::Control_Focus(TSmartCtrl* smartCtrl) {
  try {
    smartCtrl->SC_FOCUSED = true;
    smartCtrl->On_Focus(TMouseButton::mbLeft, {}, cmMousePos.X, cmMousePos.Y);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TCtrlManager::Control_UnFocus(TSmartCtrl* smartCtrl) {
  try {
    smartCtrl->SC_FOCUSED = false;
    smartCtrl->On_UnFocus(TMouseButton::mbLeft, {}, cmMousePos.X, cmMousePos.Y);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TCtrlManager::Control_UnFocusAll() {
  TDispatchScope scope;
  for (const Weak<TSmartCtrl>& each : CM_LIST->Snapshot())
    if (TSmartCtrl* c = each.Get(); Usable(c)) Control_UnFocus(c);
}

void TCtrlManager::Control_LeaveAll() {
  TDispatchScope scope;
  for (const Weak<TSmartCtrl>& each : CM_LIST->Snapshot())
    if (TSmartCtrl* c = each.Get(); Usable(c)) c->On_Leave(cmMousePos.X, cmMousePos.Y);
  Reset();
}

void TCtrlManager::Control_Update() {
  TDispatchScope scope;
  for (const Weak<TSmartCtrl>& each : CM_LIST->Snapshot())
    if (TSmartCtrl* c = each.Get(); Usable(c)) c->On_Update();
}

void TCtrlManager::Reset() {
  CM_ACTIVE = nullptr;
  CM_ACTIVE_TRY = nullptr;
  CM_FOCUSE = nullptr;
  CM_FOCUSE_TRY = nullptr;
}

void TCtrlManager::ControlDestroyed(const TSmartCtrl* smartCtrl) {
  if (CM_ACTIVE.Same(smartCtrl) || CM_FOCUSE.Same(smartCtrl)) Reset();
}

// ---- Mouse ---------------------------------------------------------------------------------

void TCtrlManager::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  cmMousePos = {x, y};
  KeyStatus->SetStatus(button, ksPressed);
  if (OnPopupPress) OnPopupPress(x, y);
  if (CM_DRAGGING) return;

  const uint64_t now = platform::TickCount();
  const uint64_t delay = ClickDelay();
  if (cmClickValid && delay > 0 && now - cmClickTime <= delay) {
    MouseDouble(button, shift, x, y);
    return;
  }
  cmClickTime = now;
  cmClickValid = true;
  Weak<TSmartCtrl> hit = ControlNotify(x, y, true);
  if (!Usable(hit.Get())) return;
  Weak<TSmartCtrl> handled = hit->On_MouseDown(button, shift, x, y);
  if (handled.Live()) {
    CM_FOCUSE = handled;
  } else if (TSmartCtrl* self = hit.Get()) {
    CM_FOCUSE = self;
    self->SC_FOCUSED = true;
  }
}

void TCtrlManager::MouseDouble(TMouseButton button, TShiftState shift, int x, int y) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  cmMousePos = {x, y};
  KeyStatus->SetStatus(button, ksNormal);
  TSmartCtrl* hit = ControlNotify(x, y, true);
  if (Usable(hit)) hit->On_MouseDouble(button, shift, x, y);
}

void TCtrlManager::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  cmMousePos = {x, y};
  KeyStatus->SetStatus(button, ksNormal);
  if (CM_MOVING) {
    CM_MOVING = false;
    SetCursor(platform::TCursorKind::ckDefault);
  } else if (Resizing) {
    EndResizing();
  } else if (TSmartCtrl* locked = LockedControl.Get()) {
    locked->On_MouseUp(button, shift, x, y);
    LockedControl = nullptr;
  } else if (CM_DRAGGING) {
    DragDrop(button, shift, x, y);
  } else {
    Weak<TSmartCtrl> hit = ControlNotify(x, y, false);
    if (!Usable(hit.Get())) return;
    Weak<TSmartCtrl> handled = hit->On_MouseUp(button, shift, x, y);
    if (handled.Live()) {
      CM_FOCUSE = handled;
    } else if (TSmartCtrl* self = hit.Get()) {
      CM_FOCUSE = self;
      self->SC_FOCUSED = true;
    }
  }
}

void TCtrlManager::MouseMove(TShiftState shift, int x, int y) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  cmMousePos = {x, y};
  TSmartCtrl* focused = CM_FOCUSE.Get();
  const bool leftDown = KeyStatus->GetStatus(TMouseButton::mbLeft, ksPressed);
  const bool free = focused != nullptr && focused->SC_ALIGN == asNone && leftDown;

  if (Resizing) {
    if (!free) return;
    const int right = focused->SC_POS.X + focused->SC_WIDTH;
    const int bottomEdge = focused->SC_POS.Y + focused->SC_HEIGHT;
    switch (ResizeDirection) {
      case rdRight: focused->SetWidth(x - focused->SC_POS.X); break;
      case rdBotRight:
        focused->SetWidth(x - focused->SC_POS.X);
        focused->SetHeight(y - focused->SC_POS.Y);
        break;
      case rdBot: focused->SetHeight(y - focused->SC_POS.Y); break;
      case rdLeft:
        focused->SetPosition({x, focused->SC_POS.Y});
        focused->SetWidth(right - x);
        break;
      case rdTop:
        focused->SetPosition({focused->SC_POS.X, y});
        focused->SetHeight(bottomEdge - y);
        break;
      default: break;
    }
    ReDraw();
  } else if (free && focused->SC_CAN_MOVE) {
    CM_MOVING = true;
    SetCursor(platform::TCursorKind::ckSizeAll);
    focused->On_Move(shift, x, y);
  } else if (LockedControl.Live()) {
    if (focused != nullptr) focused->On_MouseMove(shift, x, y);
  } else if (CM_DRAGGING) {
    DragOver(shift, x, y);
  } else {
    TSmartCtrl* hit = ControlNotify(x, y, false);
    if (Usable(hit)) hit->On_MouseMove(shift, x, y);
  }
}

void TCtrlManager::MouseWheel(TWheelMessage& msg) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  cmMousePos = msg.Pos;
  TSmartCtrl* hit = ControlNotify(msg.Pos.X, msg.Pos.Y, false);
  if (Usable(hit)) hit->On_MouseWheel(msg);
}

void TCtrlManager::DragOver(TShiftState shift, int x, int y) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  DragData->ddPos = {x, y};
  Weak<TSmartCtrl> hit = ControlNotify(x, y, false);
  if (Usable(hit.Get())) hit->On_MouseMove(shift, x, y);
  if (Usable(hit.Get())) hit->On_DragOver(*DragData, x, y);
  ReDraw();
}

void TCtrlManager::DragDrop(TMouseButton button, TShiftState shift, int x, int y) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  KeyStatus->SetStatus(TMouseButton::mbLeft, ksNormal);
  TSmartCtrl* hit = ControlNotify(x, y, false);
  CM_DRAGGING = false;
  if (Usable(hit)) hit->On_Drop(button, shift, x, y, *DragData);
  ReDraw();
}

void TCtrlManager::StartResizing(TResizeDirection direction) {
  Resizing = true;
  ResizeDirection = direction;
  ReDraw();
}

void TCtrlManager::EndResizing() {
  Resizing = false;
  SetCursor(platform::TCursorKind::ckDefault);
  ReDraw();
}

void TCtrlManager::Capture(TSmartCtrl* control) {
  NV_ASSERT_UI_THREAD();
  LockedControl = control;
}

void TCtrlManager::ReleaseCapture(const TSmartCtrl* control) {
  if (control == nullptr || LockedControl.Same(control)) LockedControl = nullptr;
}

bool TCtrlManager::BeginDrag(TSmartCtrl* sender, TSmartCtrl* dragObject, int x, int y) {
  NV_ASSERT_UI_THREAD();
  if (CM_DRAGGING || !TSmartCtrl::Live(sender)) return false;
  CM_DRAGGING = true;
  Weak<TSmartCtrl> object = dragObject;
  sender->On_DragBegin(*DragData, dragObject, x, y);
  if (TSmartCtrl* live = object.Get()) live->DrawDragImage(DragData->ddImage);
  return true;
}

void TCtrlManager::EndDrag() {
  CM_DRAGGING = false;
  ReDraw();
}

// ---- Keyboard ------------------------------------------------------------------------------

void TCtrlManager::KeyPress(char32_t key) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  try {
    if (TSmartCtrl* focused = CM_FOCUSE.Get()) focused->On_KeyPress(key);
    Control_Update();
  } catch (const std::exception&) {
    CM_FOCUSE = nullptr;
  }
  ReDraw();
}

void TCtrlManager::KeyDown(TVirtualKey key, TShiftState shift) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  try {
    if (TSmartCtrl* focused = CM_FOCUSE.Get()) focused->On_KeyDown(key, shift);
    Control_Update();
  } catch (const std::exception&) {
    CM_FOCUSE = nullptr;
  }
  ReDraw();
  GlobalKeyDown(key, shift);
}

void TCtrlManager::KeyUp(TVirtualKey key, TShiftState shift) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  try {
    if (TSmartCtrl* focused = CM_FOCUSE.Get()) focused->On_KeyUp(key, shift);
    Control_Update();
  } catch (const std::exception&) {
    CM_FOCUSE = nullptr;
  }
  ReDraw();
}

void TCtrlManager::GlobalKeyDown(TVirtualKey key, TShiftState shift) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  for (const Weak<TSmartCtrl>& each : CM_LIST->Snapshot())
    if (TSmartCtrl* c = each.Get()) c->On_GlobalKeyDown(key, shift);
}

// ---- Events --------------------------------------------------------------------------------

void TCtrlManager::Notify(const TEventObject& event) {
  NV_ASSERT_UI_THREAD();
  TDispatchScope scope;
  // A copy: a handler may change or free what the sender passed in.
  const TEventObject copy = event;
  for (const Weak<TSmartCtrl>& each : CM_LIST->Snapshot()) {
    TSmartCtrl* c = each.Get();
    if (c == nullptr) continue;
    try {
      c->On_Notify(copy);
    } catch (const config::EConvertError&) {
      // A malformed number in one control's handler does not stop the broadcast.
    }
  }
}

// ---- Creation ------------------------------------------------------------------------------

namespace {

// A ".lnk" command (exactly that extension) stands for its target; one without a target stays.
void ResolveLink(config::TParamString& params) {
  const std::string cmd = params.GetParam("CMD", "");
  if (cmd.size() < 4 || cmd.compare(cmd.size() - 4, 4, ".lnk") != 0) return;
  if (TControlFactory::Instance().HasMaker(cmd)) return;
  const std::string target = config::ShortcutTarget(cmd);
  if (!target.empty()) params.SetParam("CMD", std::string_view(target));
}

// The "ID" of Params, drawn anew until the list does not hold it when Params has none.
std::string TakeID(config::TParamString& params, const TControlList& list) {
  if (params.ParamExists("ID")) return params.GetParam("ID", "");
  std::string id;
  do id = config::RandomDigits();
  while (list.ControlExists(id));
  params.SetParam("ID", std::string_view(id));
  return id;
}

}  // namespace

std::unique_ptr<TSmartCtrl> TCtrlManager::CreateControl(TSmartCtrl* sender, std::string_view params) {
  config::TParamString text{std::string(params)};
  ResolveLink(text);
  std::unique_ptr<TSmartCtrl> made = TControlFactory::Instance().Make(sender, text);
  if (!TSmartCtrl::Live(made.get())) {
    DisposeControl(std::move(made));
    return nullptr;
  }
  made->Parts().SC_PARENT = sender;
  made->SetParams(text.PS_STRING);
  return made;
}

TSmartCtrl* TCtrlManager::CreateControl(TSmartCtrl* sender, std::string_view params, TControlList& list) {
  return CreateControl(sender, params, list, -1);
}

TSmartCtrl* TCtrlManager::CreateControl(TSmartCtrl* sender, std::string_view params, TControlList& list,
                                        int idx) {
  config::TParamString text{std::string(params)};
  if (list.ControlExists(TakeID(text, list))) return nullptr;
  std::unique_ptr<TSmartCtrl> made = CreateControl(sender, text.PS_STRING);
  if (!made) return nullptr;
  return idx < 0 ? list.AddControl(std::move(made)) : list.AddControl(std::move(made), idx);
}

TSmartCtrl* TCtrlManager::CreateControl(TSmartCtrl* sender, std::string_view params, int list) {
  if (sender == nullptr) return nullptr;
  config::TParamString text{std::string(params)};
  if (TControlList* target = sender->List(list); target != nullptr && target->ControlExists(TakeID(text, *target)))
    return nullptr;
  std::unique_ptr<TSmartCtrl> made = CreateControl(sender, text.PS_STRING);
  if (!made) return nullptr;
  return sender->AddItem(std::move(made), list);
}

namespace {

std::vector<config::TIniEntry> SettingsSection(std::string_view section) {
  std::vector<config::TIniEntry> keys;
  const std::optional<config::TIniFile> file = config::LoadIniFile(config::ResolvePath("SettingsFile:\\"));
  if (!file) return keys;
  for (config::TIniEntry& entry : file->Entries())
    if (base::SameTextAscii(entry.Section, section)) keys.push_back(std::move(entry));
  return keys;
}

}  // namespace

void TCtrlManager::LoadControls(TSmartCtrl* sender, std::string_view, std::string_view section,
                                TControlList& list) {
  for (const config::TIniEntry& entry : SettingsSection(section)) {
    config::TParamString text{entry.Value};
    text.SetParam("ID", std::string_view(entry.Key));
    CreateControl(sender, text.PS_STRING, list);
  }
}

void TCtrlManager::LoadControls(TSmartCtrl* sender, std::string_view, std::string_view section, int list) {
  for (const config::TIniEntry& entry : SettingsSection(section)) {
    config::TParamString text{entry.Value};
    text.SetParam("ID", std::string_view(entry.Key));
    CreateControl(sender, text.PS_STRING, list);
  }
}

// ---- Window adapter ------------------------------------------------------------------------

void TCtrlWindowEvents::OnPaint(platform::Window& window) {
  if (Canvas.Width() != window.ClientWidth() || Canvas.Height() != window.ClientHeight())
    Canvas.SetSize(window.ClientWidth(), window.ClientHeight());
  Canvas.Clear(gfx::clWhite32);
  FManager.PaintControls(Canvas);
  window.Present(Canvas);
}

void TCtrlWindowEvents::OnResize(int clientWidth, int clientHeight) {
  FManager.Resize(clientWidth, clientHeight);
}

void TCtrlWindowEvents::OnMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  FManager.MouseDown(button, shift, x, y);
}

void TCtrlWindowEvents::OnMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  FManager.MouseUp(button, shift, x, y);
}

void TCtrlWindowEvents::OnMouseMove(TShiftState shift, int x, int y) { FManager.MouseMove(shift, x, y); }

void TCtrlWindowEvents::OnMouseWheel(int delta, TShiftState shift, int x, int y) {
  TWheelMessage msg;
  msg.WheelDelta = delta;
  msg.Keys = shift.Bits;
  msg.Pos = {x, y};
  FManager.MouseWheel(msg);
}

void TCtrlWindowEvents::OnKeyDown(TVirtualKey key, TShiftState shift) { FManager.KeyDown(key, shift); }
void TCtrlWindowEvents::OnKeyUp(TVirtualKey key, TShiftState shift) { FManager.KeyUp(key, shift); }
void TCtrlWindowEvents::OnKeyPress(char32_t key) { FManager.KeyPress(key); }

}  // namespace ctrl
