#include "ctrl/NV_SmartCtrl.h"

#include <algorithm>

#include "base/Ascii.h"
#include "base/FileIo.h"
#include "config/NV_Format.h"
#include "config/NV_Ini.h"
#include "ctrl/NV_ControlList.h"
#include "ctrl/NV_CtrlManager.h"
#include "ctrl/NV_SkinBuffer.h"
#include "ctrl/NV_ThemeResult.h"
#include "platform/ThreadCheck.h"
#include "platform/UiLoop.h"

namespace ctrl {

// ---- Deferred destruction ----------------------------------------------------------------

namespace {

struct TDispatchState {
  int Depth = 0;
  std::vector<std::unique_ptr<TSmartCtrl>> Retired;
};

TDispatchState& Dispatch() {
  thread_local TDispatchState state;
  return state;
}

}  // namespace

TDispatchScope::TDispatchScope() { ++Dispatch().Depth; }

TDispatchScope::~TDispatchScope() {
  TDispatchState& state = Dispatch();
  if (--state.Depth > 0) return;
  // The list is taken whole first: a destructor may open a dispatch of its own and retire
  // more, which then lands in a fresh list and is looked at in the next round.
  while (!state.Retired.empty()) {
    std::vector<std::unique_ptr<TSmartCtrl>> batch = std::move(state.Retired);
    state.Retired.clear();
    batch.clear();
  }
}

bool TDispatchScope::Open() { return Dispatch().Depth > 0; }

void DisposeControl(std::unique_ptr<TSmartCtrl> control) {
  if (!control) return;
  if (TCtrlParts* parts = control->ExistingParts()) parts->scParentList = nullptr;
  if (TDispatchScope::Open()) {
    control->Retire();
    Dispatch().Retired.push_back(std::move(control));
  }
  // Otherwise the control dies here.
}

// ---- TKeyStatus ----------------------------------------------------------------------------

void TKeyStatus::SetStatus(TMouseButton button, TKeyStatusValue value) {
  switch (button) {
    case TMouseButton::mbLeft: ksMouseLeft = value; break;
    case TMouseButton::mbMiddle: ksMouseMiddle = value; break;
    case TMouseButton::mbRight: ksMouseRight = value; break;
  }
}

TKeyStatusValue TKeyStatus::GetStatus(TMouseButton button) const {
  switch (button) {
    case TMouseButton::mbLeft: return ksMouseLeft;
    case TMouseButton::mbMiddle: return ksMouseMiddle;
    case TMouseButton::mbRight: return ksMouseRight;
  }
  return ksPressed;
}

void TKeyStatus::Reset() { ksMouseLeft = ksMouseMiddle = ksMouseRight = ksNormal; }

// ---- Construction and destruction ----------------------------------------------------------

std::unique_ptr<TCtrlParams> MakeControlParams() {
  auto params = std::make_unique<TCtrlParams>();
  params->SetParam("Menu", "", true);
  params->SetParam("ctrl:Index", -1, true);
  return params;
}

std::unique_ptr<tasks::TTaskManager> MakeTaskManager() { return std::make_unique<tasks::TTaskManager>(); }

TCtrlParts::TCtrlParts() = default;
TCtrlParts::~TCtrlParts() = default;

TSmartCtrl::TSmartCtrl() = default;

TCtrlParts& TSmartCtrl::Parts() const {
  if (!FParts) {
    NV_ASSERT_UI_THREAD();
    FParts = std::make_unique<TCtrlParts>();
    const_cast<TSmartCtrl*>(this)->ArrangeRects();
  }
  return *FParts;
}

const std::vector<std::unique_ptr<TControlList>>& TSmartCtrl::Lists() const {
  static const std::vector<std::unique_ptr<TControlList>> kNone;
  return FParts ? FParts->SC_LIST : kNone;
}

void TSmartCtrl::Construct() {
  GenerateID();
  ArrangeRects();
  On_CreateBegin();
  On_Create();
  On_CreateEnd();
}

TSmartCtrl::~TSmartCtrl() {
  if (TCtrlManager* manager = Mgr()) manager->ControlDestroyed(this);
  scLife.Expire();
  // Tasks first: a theme pass must not run while what it reads goes away.
  if (FParts) FParts->TaskManager.Reset();
  FParts.reset();
}

void TSmartCtrl::Retire() {
  scLife.Expire();
  for (auto& list : Lists())
    for (int i = 0; i < list->Count(); ++i)
      if (TSmartCtrl* child = list->Control(i)) child->Retire();
}

bool TSmartCtrl::Live(const TSmartCtrl* control) {
  return control != nullptr && control->scLife.Alive() && !control->SC_ID.empty();
}

TCtrlManager* TSmartCtrl::Mgr() const {
  if (FParts)
    if (TCtrlManager* manager = FParts->Manager.Get()) return manager;
  return CtrlManager();
}

gfx::TPoint TSmartCtrl::MousePos() const {
  const TCtrlManager* manager = Mgr();
  return manager != nullptr ? manager->MousePos() : gfx::TPoint{};
}

void TSmartCtrl::ArrangeRects() {
  if (!FParts) return;  // the rectangles are made, arranged, with the parts
  TCtrlParts& p = *FParts;
  p.SC_RECT_MAIN.SetRect(SC_POS.X, SC_POS.Y, SC_POS.X + SC_WIDTH, SC_POS.Y + SC_HEIGHT, false);
  p.SC_RECT.SetRect(SC_POS.X + p.SC_OFFSET_LEFT, SC_POS.Y + p.SC_OFFSET_TOP,
                    SC_POS.X + SC_WIDTH - p.SC_OFFSET_RIGHT, SC_POS.Y + SC_HEIGHT - p.SC_OFFSET_BOTTOM,
                    false);
}

// ---- Overridable operations ----------------------------------------------------------------

void TSmartCtrl::On_CreateBegin() { scLoading = true; }
void TSmartCtrl::On_Create() {}
void TSmartCtrl::On_CreateEnd() { scLoading = false; }

void TSmartCtrl::On_Paint(gfx::TBitmap32& SC_CANVAS) {
  if (!SC_VISIBLE) return;
  for (auto& stage : Parts().scPaintStages)
    if (stage->psEnabled) On_PaintStage(SC_CANVAS, *stage);
  if (TSkinBuffer* skin = Parts().SC_SKIN) skin->DrawImage("ControlBack", SC_CANVAS, Parts().SC_RECT_MAIN.AsRect(), true);
  for (auto& list : Lists())
    for (const Weak<TSmartCtrl>& child : list->Snapshot())
      if (TSmartCtrl* c = child.Get(); c != nullptr && c->SC_VISIBLE) Item_Paint(c, SC_CANVAS);
}

void TSmartCtrl::On_PaintStage(gfx::TBitmap32& paintCanvas, TPaintStage& paintStage) {
  if (paintStage.psEvent) paintStage.psEvent(paintCanvas, paintStage.psID);
}

void TSmartCtrl::On_Enter(int x, int y) {
  const TCtrlManager* manager = Mgr();
  TCtrlState state = manager != nullptr && manager->Dragging() ? csDraggedOver : csHot;
  SetState(state);
  ItemNotify(x, y, false);
  ReDraw();
}

void TSmartCtrl::On_Leave(int x, int y) {
  SetState(csNormal);
  for (auto& list : Lists()) list->Force_On_Leave(x, y);
}

TSmartCtrl* TSmartCtrl::On_Focus(TMouseButton, TShiftState, int, int) {
  SC_FOCUSED = true;
  Parts().SC_ACTIVE_TRY = nullptr;
  Parts().SC_ACTIVE = nullptr;
  Parts().SC_FOCUSE = nullptr;
  return this;
}

TSmartCtrl* TSmartCtrl::On_UnFocus(TMouseButton button, TShiftState shift, int x, int y) {
  SC_FOCUSED = false;
  Parts().SC_FOCUSE = nullptr;
  for (auto& list : Lists()) list->Force_On_UnFocus(button, shift, x, y);
  return this;
}

void TSmartCtrl::On_Resize(int w, int h) {
  for (auto& list : Lists()) list->Force_On_Resize(w, h);
  On_Arrange();
}

void TSmartCtrl::On_Arrange() {
  if (!SC_VISIBLE) return;
  ArrangeRects();
  for (auto& list : Lists())
    for (const Weak<TSmartCtrl>& child : list->Snapshot())
      if (TSmartCtrl* c = child.Get()) Item_Arrange(c);
  Area_Arrange();
}

void TSmartCtrl::On_Show() {
  SC_VISIBLE = true;
  On_Arrange();
  ReDraw();
}

void TSmartCtrl::On_Hide() {
  SC_VISIBLE = false;
  ReDraw();
}

void TSmartCtrl::On_KeyPress(char32_t key) {
  if (TSmartCtrl* focused = Parts().SC_FOCUSE.Get()) focused->On_KeyPress(key);
}

void TSmartCtrl::On_KeyDown(TVirtualKey key, TShiftState shift) {
  if (TSmartCtrl* focused = Parts().SC_FOCUSE.Get()) focused->On_KeyDown(key, shift);
}

void TSmartCtrl::On_GlobalKeyDown(TVirtualKey key, TShiftState shift) {
  for (auto& list : Lists()) list->GlobalKeyDown(key, shift);
}

void TSmartCtrl::On_KeyUp(TVirtualKey key, TShiftState shift) {
  if (TSmartCtrl* focused = Parts().SC_FOCUSE.Get()) focused->On_KeyUp(key, shift);
}

namespace {

TMouseState MouseStateOf(TMouseButton button, TShiftState shift, int x, int y) {
  TMouseState state;
  state.msButton = button;
  state.msShift = shift;
  state.msPos = {x, y};
  return state;
}

bool Shown(const TSmartCtrl* c) { return TSmartCtrl::Live(c) && c->SC_VISIBLE; }

}  // namespace

TSmartCtrl* TSmartCtrl::On_MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (!SC_VISIBLE || scLoading) return nullptr;
  Area_Notify(eaMouseUp, MouseStateOf(button, shift, x, y));
  TSmartCtrl* hit = ItemNotify(x, y, false);
  return Shown(hit) ? Item_MouseUp(hit, button, shift, x, y) : nullptr;
}

TSmartCtrl* TSmartCtrl::On_MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (!SC_VISIBLE || scLoading) return nullptr;
  Parts().ClickPos = {x - SC_POS.X, y - SC_POS.Y};
  Area_Notify(eaMouseDown, MouseStateOf(button, shift, x, y));
  if (!SC_VISIBLE) return nullptr;
  TSmartCtrl* hit = ItemNotify(x, y, true);
  return Shown(hit) ? Item_MouseDown(hit, button, shift, x, y) : nullptr;
}

TSmartCtrl* TSmartCtrl::On_MouseMove(TShiftState shift, int x, int y) {
  if (!SC_VISIBLE || scLoading) return nullptr;
  Area_Notify(eaMouseMove, MouseStateOf(TMouseButton::mbLeft, shift, x, y));
  TSmartCtrl* hit = ItemNotify(x, y, false);
  return Shown(hit) ? Item_MouseMove(hit, shift, x, y) : nullptr;
}

TSmartCtrl* TSmartCtrl::On_MouseWheel(TWheelMessage& msg) {
  if (!SC_VISIBLE || scLoading) return nullptr;
  TMouseState state;
  state.msPos = msg.Pos;
  state.msMessage = msg;
  Area_Notify(eaMouseWheel, state);
  TSmartCtrl* hot = Parts().SC_ACTIVE.Get();
  if (!Shown(hot)) return nullptr;
  TSmartCtrl* result = hot->On_MouseWheel(msg);
  return Live(result) ? result : hot;
}

TSmartCtrl* TSmartCtrl::On_MouseDouble(TMouseButton button, TShiftState shift, int x, int y) {
  TSmartCtrl* hit = ItemNotify(x, y, true);
  return Shown(hit) ? Item_MouseDouble(hit, button, shift, x, y) : nullptr;
}

TSmartCtrl* TSmartCtrl::On_Drop(TMouseButton button, TShiftState shift, int x, int y,
                                TDragData& dragData) {
  EndDrag();
  if (!SC_VISIBLE || scLoading) return nullptr;
  TSmartCtrl* hit = ItemNotify(x, y, false);
  return Shown(hit) ? Item_Drop(hit, button, shift, x, y, dragData) : nullptr;
}

TSmartCtrl* TSmartCtrl::On_Move(TShiftState, int x, int y) {
  if (SC_CAN_MOVE) {
    SetPosition({x - Parts().ClickPos.X, y - Parts().ClickPos.Y});
    ReDraw();
  }
  return this;
}

void TSmartCtrl::On_LoadTheme(TThemeResult&) {}

void TSmartCtrl::On_LoadThemeEnd(TThemeResult& theme) {
  theme.ApplyTo(*this);
  ArrangeRects();
  On_Arrange();
  ReDraw();
}
bool TSmartCtrl::CanDrag() { return SC_CAN_DRAG; }
bool TSmartCtrl::CanDrag(int, int) { return SC_CAN_DRAG; }

TSmartCtrl* TSmartCtrl::On_DragBegin(TDragData& dragData, TSmartCtrl* dragObject, int, int) {
  dragData.ddType = dtObject;
  dragData.ddSource = dragObject;
  dragData.ddSender = this;
  return nullptr;
}

TSmartCtrl* TSmartCtrl::On_DragOver(TDragData& dragData, int x, int y) {
  if (!SC_VISIBLE) return nullptr;
  TSmartCtrl* hit = ItemNotify(x, y, false);
  return Shown(hit) ? Item_DragOver(hit, x, y, dragData) : nullptr;
}

void TSmartCtrl::On_DrawDragImage(gfx::TBitmap32&) {}

void TSmartCtrl::On_Update() {
  for (auto& list : Lists()) list->Force_On_Update();
}

void TSmartCtrl::On_SetWidth(int& value) { SC_WIDTH = value; }
void TSmartCtrl::On_SetHeight(int& value) { SC_HEIGHT = value; }

void TSmartCtrl::On_SetAlign(TAlignSide& value) {
  SC_ALIGN = value;
  On_Arrange();
}

void TSmartCtrl::On_SetSkin(TSkinBuffer*& value) { Parts().SC_SKIN = value; }
void TSmartCtrl::On_SetState(TCtrlState& value) { SC_STATE = value; }

void TSmartCtrl::On_SetOwner(TSmartCtrl*& value) {
  Parts().SC_OWNER = value;
  if (TCtrlManager* manager = Mgr()) manager->ArrangeControls();
  ReDraw();
}

bool TSmartCtrl::Is_Control(int x, int y) {
  return SC_POS.X <= x && x <= SC_POS.X + SC_WIDTH && SC_POS.Y <= y && y <= SC_POS.Y + SC_HEIGHT;
}

void TSmartCtrl::Item_Enter(TSmartCtrl* smartCtrl, int x, int y) { smartCtrl->On_Enter(x, y); }
void TSmartCtrl::Item_Leave(TSmartCtrl* smartCtrl, int x, int y) { smartCtrl->On_Leave(x, y); }

void TSmartCtrl::Item_Focus(TSmartCtrl* smartCtrl, int x, int y) {
  smartCtrl->SC_FOCUSED = true;
  smartCtrl->On_Focus(TMouseButton::mbLeft, {}, x, y);
}

void TSmartCtrl::Item_UnFocus(TSmartCtrl* smartCtrl, int x, int y) {
  smartCtrl->SC_FOCUSED = false;
  smartCtrl->On_UnFocus(TMouseButton::mbLeft, {}, x, y);
}

namespace {

// The child's result, or the child itself when it returned none or a dead control.
TSmartCtrl* HandledBy(TSmartCtrl* child, TSmartCtrl* result) {
  return TSmartCtrl::Live(result) ? result : (TSmartCtrl::Live(child) ? child : nullptr);
}

}  // namespace

TSmartCtrl* TSmartCtrl::Item_MouseUp(TSmartCtrl* smartCtrl, TMouseButton button, TShiftState shift,
                                     int x, int y) {
  Weak<TSmartCtrl> child = smartCtrl;
  TSmartCtrl* result = smartCtrl->On_MouseUp(button, shift, x, y);
  return HandledBy(child.Get(), result);
}

TSmartCtrl* TSmartCtrl::Item_MouseDown(TSmartCtrl* smartCtrl, TMouseButton button,
                                       TShiftState shift, int x, int y) {
  Weak<TSmartCtrl> child = smartCtrl;
  TSmartCtrl* result = smartCtrl->On_MouseDown(button, shift, x, y);
  return HandledBy(child.Get(), result);
}

TSmartCtrl* TSmartCtrl::Item_MouseMove(TSmartCtrl* smartCtrl, TShiftState shift, int x, int y) {
  Weak<TSmartCtrl> child = smartCtrl;
  TSmartCtrl* result = smartCtrl->On_MouseMove(shift, x, y);
  return HandledBy(child.Get(), result);
}

TSmartCtrl* TSmartCtrl::Item_MouseDouble(TSmartCtrl* smartCtrl, TMouseButton button,
                                         TShiftState shift, int x, int y) {
  Weak<TSmartCtrl> child = smartCtrl;
  TSmartCtrl* result = smartCtrl->On_MouseDouble(button, shift, x, y);
  return HandledBy(child.Get(), result);
}

TSmartCtrl* TSmartCtrl::Item_Drop(TSmartCtrl* smartCtrl, TMouseButton button, TShiftState shift,
                                  int x, int y, TDragData& dragData) {
  Weak<TSmartCtrl> child = smartCtrl;
  TSmartCtrl* result = smartCtrl->On_Drop(button, shift, x, y, dragData);
  return HandledBy(child.Get(), result);
}

TSmartCtrl* TSmartCtrl::Item_DragOver(TSmartCtrl* smartCtrl, int x, int y, TDragData& dragData) {
  Weak<TSmartCtrl> child = smartCtrl;
  TSmartCtrl* result = smartCtrl->On_DragOver(dragData, x, y);
  return HandledBy(child.Get(), result);
}

TSmartCtrl* TSmartCtrl::Item_Add(std::unique_ptr<TSmartCtrl> smartCtrl, TControlList& list, int idx) {
  if (!smartCtrl) return nullptr;
  smartCtrl->Parts().SC_PARENT = this;
  return idx < 0 ? list.AddControl(std::move(smartCtrl)) : list.AddControl(std::move(smartCtrl), idx);
}

void TSmartCtrl::Item_Paint(TSmartCtrl* smartCtrl, gfx::TBitmap32& board) { smartCtrl->On_Paint(board); }
void TSmartCtrl::Item_Arrange(TSmartCtrl* smartCtrl) { smartCtrl->On_Arrange(); }

void TSmartCtrl::Reset() {
  Parts().SC_FOCUSE = nullptr;
  Parts().SC_ACTIVE = nullptr;
  Parts().SC_ACTIVE_TRY = nullptr;
  Parts().SC_FOCUSE_TRY = nullptr;
  if (TCtrlManager* manager = Mgr()) manager->Reset();
}

void TSmartCtrl::On_Notify(const TEventObject& event) {
  for (const auto& list : Lists()) list->NotifyEvent(event);
}

void TSmartCtrl::SetParams(std::string_view params) {
  if (params.empty()) return;
  const config::TParamString text{std::string(params)};
  SC_ID = text.GetParam("ID", std::string_view(SC_ID));
  Parts().Parametrs->SetParam("ID", std::string_view(text.GetParam("ID", std::string_view(config::RandomDigits()))), false);
  for (const char* id : {"CMD", "P1", "P2"})
    Parts().Parametrs->SetParam(id, std::string_view(text.GetParam(id, "")), true);
  for (const char* id : {"Dialog", "Menu"}) {
    const std::string current = Parts().Parametrs->GetParam(id, "", false);
    Parts().Parametrs->SetParam(id, std::string_view(text.GetParam(id, std::string_view(current))), true);
  }
  SetWidth(text.GetParam("Width", SC_WIDTH));
  SetHeight(text.GetParam("Height", SC_HEIGHT));

  const std::string fit = text.GetParam("Fit", "");
  if (fit == "Both") SC_FIT_MODE = fmBoth;
  else if (fit == "Width") SC_FIT_MODE = fmWidth;
  else if (fit == "Height") SC_FIT_MODE = fmHeight;
  else if (fit == "None") SC_FIT_MODE = fmNone;

  const std::string align = text.GetParam("Align", "Left");
  if (align == "Left") SetAlign(asLeft);
  else if (align == "None") SetAlign(asNone);
  else if (align == "Right") SetAlign(asRight);
  else if (align == "Top") SetAlign(asTop);
  else if (align == "Bot") SetAlign(asBot);
  Parts().Parametrs->SetParam("Align", std::string_view(align), true);
  Parts().Parameters = text;
}

int TSmartCtrl::GetDropIndex(int x, int y, TControlList& list, bool vertical) {
  int idx = ItemIDXAtXY(list, x, y);
  while (idx < 0 && (vertical ? y : x) >= 2) {
    (vertical ? y : x) -= 1;
    idx = ItemIDXAtXY(list, x, y);
  }
  return idx < 0 ? 0 : std::min(idx + 1, list.Count());
}

namespace {

bool InGroup(const TSmartCtrl& c, std::string_view groupID) {
  const TCtrlParams* params = c.ExistingParts() != nullptr ? c.ExistingParts()->Parametrs.Existing() : nullptr;
  const TParamValue* group = params != nullptr ? params->FindParam("Ctrl.Group") : nullptr;
  return group != nullptr && group->pvString == groupID;
}

}  // namespace

void TSmartCtrl::On_GroupShow(std::string_view groupID) {
  for (auto& list : Lists())
    for (const Weak<TSmartCtrl>& child : list->Snapshot())
      if (TSmartCtrl* c = child.Get(); c != nullptr && InGroup(*c, groupID)) c->SetVisible(true);
  ReDraw();
}

void TSmartCtrl::On_GroupHide(std::string_view groupID) {
  for (auto& list : Lists())
    for (const Weak<TSmartCtrl>& child : list->Snapshot())
      if (TSmartCtrl* c = child.Get(); c != nullptr && InGroup(*c, groupID)) c->SetVisible(false);
  ReDraw();
}

void TSmartCtrl::On_AreaEvent(TCtrlArea&, TAreaAction, const TMouseState&) {}
void TSmartCtrl::On_AreaArrange(TCtrlArea&) {}

// ---- Other operations ----------------------------------------------------------------------

void TSmartCtrl::SetID(std::string_view value) {
  SC_ID = value;
  ArrangeRects();
  On_Arrange();
}

bool TSmartCtrl::HasGeneratedID() const {
  const std::string_view name = ClassName();
  if (SC_ID.size() != name.size() + 5 || SC_ID.compare(0, name.size(), name) != 0) return false;
  return std::all_of(SC_ID.begin() + std::ptrdiff_t(name.size()), SC_ID.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

void TSmartCtrl::GenerateID() { SC_ID = std::string(ClassName()) + config::RandomDigits(); }

void TSmartCtrl::SetPosition(gfx::TPoint value) {
  SC_POS = value;
  ArrangeRects();
  On_Arrange();
}

void TSmartCtrl::SetWidth(int value) {
  On_SetWidth(value);
  ArrangeRects();
  On_Arrange();
}

void TSmartCtrl::SetHeight(int value) {
  On_SetHeight(value);
  ArrangeRects();
  On_Arrange();
}

void TSmartCtrl::SetVisible(bool value) {
  if (value)
    On_Show();
  else
    On_Hide();
}

void TSmartCtrl::SetAlign(TAlignSide value) { On_SetAlign(value); }
void TSmartCtrl::SetSkin(TSkinBuffer* value) { On_SetSkin(value); }

void TSmartCtrl::ReDraw(bool safe) const {
  NV_ASSERT_UI_THREAD();
  const TCtrlManager* manager = Mgr();
  if (manager == nullptr) return;
  if (safe)
    manager->ReDrawSafe();
  else
    manager->ReDraw();
}

TControlList& TSmartCtrl::AddList(std::string_view id) {
  Parts().SC_LIST.push_back(std::make_unique<TControlList>(id));
  return *Parts().SC_LIST.back();
}

TControlList* TSmartCtrl::List(int idx) const {
  return idx >= 0 && idx < ListCount() ? Parts().SC_LIST[idx].get() : nullptr;
}

TSmartCtrl* TSmartCtrl::AddItem(std::unique_ptr<TSmartCtrl> smartCtrl, int list) {
  TControlList* target = List(list);
  if (target == nullptr) target = &AddList("Internal.List.Default");
  TSmartCtrl* added = Item_Add(std::move(smartCtrl), *target, -1);
  ReDraw();
  return added;
}

TSmartCtrl* TSmartCtrl::AddItem(std::unique_ptr<TSmartCtrl> smartCtrl, int list, int idx) {
  TControlList* target = List(list);
  if (target == nullptr) target = &AddList("Items");
  TSmartCtrl* added = Item_Add(std::move(smartCtrl), *target, std::max(idx, 0));
  ReDraw();
  return added;
}

bool TSmartCtrl::RemoveItem(std::string_view id) {
  for (auto& list : Lists())
    if (list->RemoveControl(id)) {
      Reset();
      return true;
    }
  return false;
}

bool TSmartCtrl::FindItem(std::string_view id, TSmartCtrl*& smartCtrl) const {
  for (const auto& list : Lists())
    if (list->FindControl(smartCtrl, id)) return true;
  smartCtrl = nullptr;
  return false;
}

void TSmartCtrl::RemoveChild(TControlList& list, int idx) {
  Parts().SC_FOCUSE = nullptr;
  Parts().SC_ACTIVE = nullptr;
  Parts().SC_ACTIVE_TRY = nullptr;
  Parts().SC_FOCUSE_TRY = nullptr;
  list.Delete(idx);
}

int TSmartCtrl::ItemIDXAtXY(TControlList& list, int x, int y) const {
  for (int i = list.Count() - 1; i >= 0; --i) {
    TSmartCtrl* c = list.Control(i);
    if (Shown(c) && c->Is_Control(x, y)) return i;
  }
  return -1;
}

TSmartCtrl* TSmartCtrl::ItemAtXY(TControlList& list, int x, int y) const {
  const int idx = ItemIDXAtXY(list, x, y);
  return idx < 0 ? nullptr : list.Control(idx);
}

TSmartCtrl* TSmartCtrl::ItemNotify(bool focus) {
  const gfx::TPoint pos = MousePos();
  return ItemNotify(nullptr, pos.X, pos.Y, focus);
}

TSmartCtrl* TSmartCtrl::ItemNotify(TControlList* list, int x, int y, bool focus) {
  TSmartCtrl* hit = nullptr;
  if (list != nullptr) {
    hit = ItemAtXY(*list, x, y);
  } else {
    for (auto& each : Lists())
      if ((hit = ItemAtXY(*each, x, y)) != nullptr) break;
  }
  // Without parts there are no children and no hot child: nothing to track.
  if (!FParts && hit == nullptr) return nullptr;
  TCtrlParts& p = Parts();
  p.SC_ACTIVE_TRY = hit;

  if (!p.SC_ACTIVE_TRY.Same(p.SC_ACTIVE.Get())) {
    if (TSmartCtrl* old = p.SC_ACTIVE.Get()) Item_Leave(old, x, y);
    if (TSmartCtrl* fresh = p.SC_ACTIVE_TRY.Get()) Item_Enter(fresh, x, y);
  }
  p.SC_ACTIVE = p.SC_ACTIVE_TRY;

  if (focus) {
    p.SC_FOCUSE_TRY = hit;
    try {
      if (!p.SC_FOCUSE_TRY.Same(p.SC_FOCUSE.Get())) {
        if (TSmartCtrl* old = p.SC_FOCUSE.Get()) Item_UnFocus(old, x, y);
        if (TSmartCtrl* fresh = p.SC_FOCUSE_TRY.Get()) Item_Focus(fresh, x, y);
        p.SC_FOCUSE = p.SC_FOCUSE_TRY;
      } else if (TSmartCtrl* same = p.SC_FOCUSE.Get()) {
        Item_Focus(same, x, y);
        ReDraw();
      }
    } catch (...) {
      // A failing focus handler leaves no focused child behind; input goes on.
      p.SC_FOCUSE_TRY = nullptr;
      p.SC_FOCUSE = nullptr;
      return p.SC_ACTIVE.Get();
    }
  }
  return p.SC_ACTIVE.Get();
}

void TSmartCtrl::Focus(TMouseButton, TShiftState) {
  if (TCtrlManager* manager = Mgr()) manager->ControlFocus(this);
}

void TSmartCtrl::LockFocus() {
  if (TCtrlManager* manager = Mgr()) manager->Capture(this);
}

void TSmartCtrl::UnLockFocus(bool force) {
  if (TCtrlManager* manager = Mgr()) manager->ReleaseCapture(force ? nullptr : this);
}

void TSmartCtrl::BeginDrag(int x, int y, TSmartCtrl* dragObject) {
  if (TCtrlManager* manager = Mgr()) manager->BeginDrag(this, dragObject, x, y);
}

void TSmartCtrl::EndDrag() {
  if (TCtrlManager* manager = Mgr()) manager->EndDrag();
  else ReDraw();
}

TPaintStage& TSmartCtrl::PaintStage_Add(std::string_view stageID, TPaintEvent paintEvent) {
  auto stage = std::make_unique<TPaintStage>();
  stage->psID = stageID;
  stage->psEvent = std::move(paintEvent);
  Parts().scPaintStages.push_back(std::move(stage));
  return *Parts().scPaintStages.back();
}

bool TSmartCtrl::PaintStage_Get(std::string_view stageID, TPaintStage*& paintStage) const {
  for (const auto& stage : Parts().scPaintStages)
    if (base::SameTextAscii(stage->psID, stageID)) {
      paintStage = stage.get();
      return true;
    }
  paintStage = nullptr;
  return false;
}

void TSmartCtrl::Group_Show(const std::vector<std::string>& ids) {
  for (const std::string& id : ids) On_GroupShow(id);
}

void TSmartCtrl::Group_Hide(const std::vector<std::string>& ids) {
  for (const std::string& id : ids) On_GroupHide(id);
}

void TSmartCtrl::Group_Set(std::string_view id, bool itemVisible) {
  Parts().Parametrs->SetParam("Ctrl.Group", id, false);
  SetVisible(itemVisible);
}

TCtrlArea& TSmartCtrl::Area_Add(std::string_view areaID) {
  Parts().scAreaList.push_back(std::make_unique<TCtrlArea>(std::string(areaID)));
  TCtrlArea& area = *Parts().scAreaList.back();
  Area_Arrange();
  return area;
}

bool TSmartCtrl::Area_Find(std::string_view areaID, TCtrlArea*& area) const {
  for (auto it = Parts().scAreaList.rbegin(); it != Parts().scAreaList.rend(); ++it)
    if ((*it)->caID == areaID) {
      area = it->get();
      return true;
    }
  area = nullptr;
  return false;
}

void TSmartCtrl::Area_Show(std::string_view id) {
  for (auto& area : Parts().scAreaList)
    if (area->caID == id) area->caVisible = true;
  Area_Arrange();
  ReDraw();
}

void TSmartCtrl::Area_Hide(std::string_view id) {
  for (auto& area : Parts().scAreaList)
    if (area->caID == id) area->caVisible = false;
  Area_Arrange();
  ReDraw();
}

void TSmartCtrl::Area_Show(const std::vector<TCtrlArea*>& areas) {
  for (TCtrlArea* area : areas) Area_Show(area->caID);
}

void TSmartCtrl::Area_Hide(const std::vector<TCtrlArea*>& areas) {
  for (TCtrlArea* area : areas) Area_Hide(area->caID);
}

void TSmartCtrl::Area_Notify(TAreaAction action, const TMouseState& mouseState) {
  if (!FParts) return;
  const gfx::TPoint p = mouseState.msPos;
  for (auto it = Parts().scAreaList.rbegin(); it != Parts().scAreaList.rend(); ++it) {
    TCtrlArea& area = **it;
    if (area.caLeft < p.X && p.X < area.caRight && area.caTop < p.Y && p.Y < area.caBottom) {
      On_AreaEvent(area, action, mouseState);
      return;
    }
  }
}

void TSmartCtrl::Area_Arrange() {
  if (!FParts) return;
  for (auto& area : Parts().scAreaList)
    if (area->caVisible) On_AreaArrange(*area);
}

bool TSmartCtrl::ClassIs(std::string_view searchClass) const {
  return searchClass == ClassName() || searchClass == ClassParentName();
}

bool TSmartCtrl::SaveItems(const std::string& path, std::string_view section,
                           const TControlList& list) const {
  std::optional<config::TIniFile> file = config::LoadIniFile(path);
  if (!file) return false;
  // The old section goes whole, then each live control becomes one key of a fresh one.
  file->EraseSection(section);
  for (int i = 0; i < list.Count(); ++i) {
    TSmartCtrl* c = list.Control(i);
    if (Live(c)) file->WriteString(section, c->SC_ID, c->Parts().Parametrs->ToText());
  }
  return bool(base::WriteFileAtomically(path, file->ToBytes()));
}

void TSmartCtrl::LoadTheme() {
  NV_ASSERT_UI_THREAD();
  if (!Parts().scThemeGeneration) Parts().scThemeGeneration = std::make_unique<tasks::TGeneration>();
  tasks::TSmartTask& task = Parts().TaskManager->CreateTask("Ctrl.LoadTheme", false);
  task.SetParam("Control", static_cast<void*>(this));
  // The worker fills a result of its own; the control is only read, and it cannot die during
  // the pass because its destruction stops this task first.
  auto work = [this](tasks::TSmartTask&) {
    TThemeResult theme;
    On_LoadTheme(theme);
    return theme;
  };
  auto apply = [](TSmartCtrl& control, TThemeResult&& theme) {
    TDispatchScope scope;
    control.On_LoadThemeEnd(theme);
  };
  tasks::RunThenReply(task, work, Weak<TSmartCtrl>(this), *Parts().scThemeGeneration, apply);
}

void TSmartCtrl::StopTasks() {
  if (FParts)
    if (tasks::TTaskManager* tasks = FParts->TaskManager.Existing()) tasks->StopTasks(true);
}

}  // namespace ctrl
