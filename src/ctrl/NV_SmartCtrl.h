// The smart control: the base of every visible element inside the main view. A control is a
// rectangle with state, parameters and child lists; it paints into the main view's canvas and
// reacts to the input the control manager routes to it.
//
// Contract of the hooks (On_..., Item_...):
//   - The control manager and the parent control call them, on the interface thread only; the
//     one exception is On_LoadTheme, which runs on the worker of the theme task "Ctrl.LoadTheme".
//     It fills the theme result it is given and nothing else: it may read the control's theme
//     settings (fields the interface thread leaves alone while a load runs) but writes no field
//     and calls nothing of the control manager. On_LoadThemeEnd then gets the same result on the
//     interface thread; its base form publishes it (skin pictures and fonts, content insets,
//     parameters), arranges and redraws, and an override calls the base first.
//   - Coordinates are main-view pixels (SC_POS is in main-view pixels too), never relative to the
//     control.
//   - A handler that returns a control returns the control that handled the input (the deepest
//     one), or none; the caller keeps it only through a weak handle.
//   - The framework does the bookkeeping (hot and focus tracking, capture, click delay); a
//     subclass overrides a hook to react and calls the base where the base behaviour is wanted.
//
// Construction goes through TSmartCtrl::Create<T>(...), which constructs the object and then
// runs On_CreateBegin, On_Create and On_CreateEnd, so that the subclass's overrides are the ones
// called. The object it makes is a T wrapped in a final class whose destructor stops the
// control's tasks before any part of T is destroyed, so a theme pass never runs on a
// half-destroyed control and no subclass has to remember to stop its tasks itself. While scLoading is set the control gets no input, no paint from its parent's lists and
// no events.
//
// Lifetime: a control belongs to exactly one child list (or the manager's top-level list).
// Every reference to another control that may outlive it is a Weak<TSmartCtrl>. A control that
// is removed while input or an event is being dispatched (for example a window's close button
// removing its window) is retired: it leaves its list, every handle to it and to its subtree
// expires at once, and the object itself is destroyed once the outermost dispatch returns.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "config/NV_ParamString.h"
#include "ctrl/NV_CtrlArea.h"
#include "ctrl/NV_CtrlParams.h"
#include "ctrl/NV_DragData.h"
#include "ctrl/NV_EventObject.h"
#include "ctrl/NV_MouseState.h"
#include "ctrl/NV_OnFirstUse.h"
#include "ctrl/NV_SmartRect.h"
#include "ctrl/NV_Weak.h"
#include "gfx/Bitmap32.h"
#include "gfx/Geometry.h"
#include "platform/Input.h"
#include "platform/Keys.h"
#include "tasks/NV_Reply.h"
#include "tasks/NV_TaskManager.h"

namespace ctrl {

class TControlList;
class TCtrlManager;
class TSkinBuffer;
class TThemeResult;
struct TCtrlParts;

// The first values of a control's rarely used parts.
std::unique_ptr<TCtrlParams> MakeControlParams();
std::unique_ptr<tasks::TTaskManager> MakeTaskManager();

enum class TAlignSide : uint8_t {
  asNone,
  asLeft,
  asRight,
  asTop,
  asBot,
  asLeftCenter,
  asRightCenter,
  asTopCenter,
  asBotCenter
};
using enum TAlignSide;

enum class TFitMode : uint8_t { fmWidth, fmHeight, fmBoth, fmNone };
using enum TFitMode;

enum class TCtrlState : uint8_t { csNormal, csHot, csDraggedOver };
using enum TCtrlState;

enum class TKeyStatusValue { ksPressed, ksNormal };
using enum TKeyStatusValue;

enum class TAreaAction { eaEnter, eaLeave, eaMouseDown, eaMouseUp, eaMouseMove, eaMouseWheel };
using enum TAreaAction;

using TMouseButton = platform::TMouseButton;
using TShiftState = platform::TShiftState;
using TVirtualKey = platform::TVirtualKey;

// An extra paint callback of a control, run before its background and children.
using TPaintEvent = std::function<void(gfx::TBitmap32& paintCanvas, const std::string& stageID)>;

class TPaintStage {
 public:
  std::string psID;
  TPaintEvent psEvent;
  bool psEnabled = true;
};

// Which mouse buttons are down.
class TKeyStatus {
 public:
  TKeyStatusValue ksMouseLeft = ksNormal;
  TKeyStatusValue ksMouseMiddle = ksNormal;
  TKeyStatusValue ksMouseRight = ksNormal;

  void SetStatus(TMouseButton button, TKeyStatusValue value);
  TKeyStatusValue GetStatus(TMouseButton button) const;
  bool GetStatus(TMouseButton button, TKeyStatusValue keyStatusValue) const {
    return GetStatus(button) == keyStatusValue;
  }
  void Reset();
};

// Declares a control class's name and its direct parent class's name, for SC_ID and ClassIs.
#define NV_CTRL_CLASS(Name, Parent)                                        \
 public:                                                                   \
  static constexpr const char* StaticClassName() { return #Name; }        \
  const char* ClassName() const override { return #Name; }                \
  const char* ClassParentName() const override { return #Parent; }        \
                                                                           \
 private:

class TSmartCtrl {
 public:
  // Constructs a control and runs its creation hooks. Every control is made this way.
  template <typename T, typename... Args>
  static std::unique_ptr<T> Create(Args&&... args) {
    static_assert(std::is_base_of_v<TSmartCtrl, T> && !std::is_final_v<T>,
                  "controls are smart controls that Create can wrap");
    std::unique_ptr<T> control(new TCreated<T>(std::forward<Args>(args)...));
    control->Construct();
    return control;
  }

  virtual ~TSmartCtrl();
  TSmartCtrl(const TSmartCtrl&) = delete;
  TSmartCtrl& operator=(const TSmartCtrl&) = delete;

  static constexpr const char* StaticClassName() { return "TSmartCtrl"; }
  virtual const char* ClassName() const { return "TSmartCtrl"; }
  virtual const char* ClassParentName() const { return ""; }

  const TLifeToken& LifeToken() const { return scLife; }
  // Set, not retired and with an identifier.
  static bool Live(const TSmartCtrl* control);

  // ---- Overridable operations, in slot order --------------------------------------------
  virtual void On_CreateBegin();                                                    // 1
  virtual void On_Create();                                                         // 2
  virtual void On_CreateEnd();                                                      // 3
  virtual void On_Paint(gfx::TBitmap32& SC_CANVAS);                                 // 4
  virtual void On_PaintStage(gfx::TBitmap32& paintCanvas, TPaintStage& paintStage);  // 5
  virtual void On_Enter(int x, int y);                                              // 6
  virtual void On_Leave(int x, int y);                                              // 7
  virtual TSmartCtrl* On_Focus(TMouseButton button, TShiftState shift, int x, int y);    // 8
  virtual TSmartCtrl* On_UnFocus(TMouseButton button, TShiftState shift, int x, int y);  // 9
  virtual void On_Resize(int w, int h);                                             // 10
  virtual void On_Arrange();                                                        // 11
  virtual void On_Show();                                                           // 12
  virtual void On_Hide();                                                           // 13
  virtual void On_KeyPress(char32_t key);                                           // 14
  virtual void On_KeyDown(TVirtualKey key, TShiftState shift);                      // 15
  virtual void On_GlobalKeyDown(TVirtualKey key, TShiftState shift);                // 16
  virtual void On_KeyUp(TVirtualKey key, TShiftState shift);                        // 17
  virtual TSmartCtrl* On_MouseUp(TMouseButton button, TShiftState shift, int x, int y);      // 18
  virtual TSmartCtrl* On_MouseDown(TMouseButton button, TShiftState shift, int x, int y);    // 19
  virtual TSmartCtrl* On_MouseMove(TShiftState shift, int x, int y);                         // 20
  virtual TSmartCtrl* On_MouseWheel(TWheelMessage& msg);                                     // 21
  virtual TSmartCtrl* On_MouseDouble(TMouseButton button, TShiftState shift, int x, int y);  // 22
  virtual TSmartCtrl* On_Drop(TMouseButton button, TShiftState shift, int x, int y,
                              TDragData& dragData);                                          // 23
  virtual TSmartCtrl* On_Move(TShiftState shift, int x, int y);                              // 24
  virtual void On_LoadTheme(TThemeResult& theme);                                   // 25
  virtual void On_LoadThemeEnd(TThemeResult& theme);                                // 26
  virtual bool CanDrag();                                                           // 27
  virtual bool CanDrag(int x, int y);                                               // 28
  virtual TSmartCtrl* On_DragBegin(TDragData& dragData, TSmartCtrl* dragObject, int x,
                                   int y);                                          // 29
  virtual TSmartCtrl* On_DragOver(TDragData& dragData, int x, int y);               // 30
  virtual void On_DrawDragImage(gfx::TBitmap32& image);                             // 31
  virtual void On_Update();                                                         // 32
  virtual void On_SetWidth(int& value);                                             // 33
  virtual void On_SetHeight(int& value);                                            // 34
  virtual void On_SetAlign(TAlignSide& value);                                      // 35
  virtual void On_SetSkin(TSkinBuffer*& value);                                     // 36
  virtual void On_SetState(TCtrlState& value);                                      // 37
  virtual void On_SetOwner(TSmartCtrl*& value);                                     // 38
  virtual bool Is_Control(int x, int y);                                            // 39
  virtual void Item_Enter(TSmartCtrl* smartCtrl, int x, int y);                     // 40
  virtual void Item_Leave(TSmartCtrl* smartCtrl, int x, int y);                     // 41
  virtual void Item_Focus(TSmartCtrl* smartCtrl, int x, int y);                     // 42
  virtual void Item_UnFocus(TSmartCtrl* smartCtrl, int x, int y);                   // 43
  virtual TSmartCtrl* Item_MouseUp(TSmartCtrl* smartCtrl, TMouseButton button, TShiftState shift,
                                   int x, int y);                                   // 44
  virtual TSmartCtrl* Item_MouseDown(TSmartCtrl* smartCtrl, TMouseButton button,
                                     TShiftState shift, int x, int y);              // 45
  virtual TSmartCtrl* Item_MouseMove(TSmartCtrl* smartCtrl, TShiftState shift, int x,
                                     int y);                                        // 46
  virtual TSmartCtrl* Item_MouseDouble(TSmartCtrl* smartCtrl, TMouseButton button,
                                       TShiftState shift, int x, int y);            // 47
  virtual TSmartCtrl* Item_Drop(TSmartCtrl* smartCtrl, TMouseButton button, TShiftState shift,
                                int x, int y, TDragData& dragData);                 // 48
  virtual TSmartCtrl* Item_DragOver(TSmartCtrl* smartCtrl, int x, int y,
                                    TDragData& dragData);                           // 49
  // Inserts the child at IDX of List (appends for a negative IDX) and becomes its parent.
  // Returns the child, or none when the list refused it (it is destroyed then).
  virtual TSmartCtrl* Item_Add(std::unique_ptr<TSmartCtrl> smartCtrl, TControlList& list,
                               int idx);                                            // 50
  virtual void Item_Paint(TSmartCtrl* smartCtrl, gfx::TBitmap32& board);            // 51
  virtual void Item_Arrange(TSmartCtrl* smartCtrl);                                 // 52
  virtual void Reset();                                                             // 53
  virtual void On_Notify(const TEventObject& event);                                // 54
  virtual void SetParams(std::string_view params);                                  // 55
  virtual int GetDropIndex(int x, int y, TControlList& list, bool vertical);        // 56
  virtual void On_GroupShow(std::string_view groupID);                              // 57
  virtual void On_GroupHide(std::string_view groupID);                              // 58
  virtual void On_AreaEvent(TCtrlArea& area, TAreaAction action,
                            const TMouseState& mouseState);                         // 59
  virtual void On_AreaArrange(TCtrlArea& area);                                     // 60

  // ---- Other operations -----------------------------------------------------------------
  void SetID(std::string_view value);
  // The identifier is still of the generated form: the class name and five digits.
  bool HasGeneratedID() const;
  // Draws new digits for a generated identifier. A class whose objects come by the million
  // (items) makes its own kind of identifier instead.
  virtual void GenerateID();
  void SetPosition(gfx::TPoint value);
  void SetWidth(int value);
  void SetHeight(int value);
  void SetVisible(bool value);
  void SetAlign(TAlignSide value);
  void SetSkin(TSkinBuffer* value);
  void SetState(TCtrlState value) { On_SetState(value); }
  void SetOwner(TSmartCtrl* value) { On_SetOwner(value); }
  void Update() { On_Update(); }
  // With Safe the main view repaints now and this returns when done; otherwise the view is
  // invalidated. Nothing happens without a manager hosting a window. Interface thread only: a
  // worker hands its result over instead, and the hand-over redraws.
  void ReDraw(bool safe = false) const;

  TControlList& AddList(std::string_view id = "Items");
  int ListCount() const { return static_cast<int>(Lists().size()); }
  TControlList* List(int idx) const;
  TSmartCtrl* AddItem(std::unique_ptr<TSmartCtrl> smartCtrl, int list = 0);
  TSmartCtrl* AddItem(std::unique_ptr<TSmartCtrl> smartCtrl, int list, int idx);
  template <typename T>
  T* AddItem(std::unique_ptr<T> smartCtrl, int list = 0) {
    return static_cast<T*>(AddItem(std::unique_ptr<TSmartCtrl>(std::move(smartCtrl)), list));
  }
  bool RemoveItem(std::string_view id);
  bool FindItem(std::string_view id, TSmartCtrl*& smartCtrl) const;
  void RemoveChild(TControlList& list, int idx);
  TSmartCtrl* ItemAtXY(TControlList& list, int x, int y) const;
  int ItemIDXAtXY(TControlList& list, int x, int y) const;
  // The child hit-test with hot and, with Focus, focus tracking. The first form takes the
  // manager's last mouse position; without a list every list is searched in order.
  TSmartCtrl* ItemNotify(bool focus);
  TSmartCtrl* ItemNotify(int x, int y, bool focus) { return ItemNotify(nullptr, x, y, focus); }
  TSmartCtrl* ItemNotify(TControlList* list, int x, int y, bool focus);
  TSmartCtrl* IsControl(int x, int y) { return Is_Control(x, y) ? this : nullptr; }
  void Focus(TMouseButton button = TMouseButton::mbLeft, TShiftState shift = {});
  void LockFocus();
  void UnLockFocus(bool force = false);
  void BeginDrag(int x, int y, TSmartCtrl* dragObject);
  void EndDrag();
  void DrawDragImage(gfx::TBitmap32& image) { On_DrawDragImage(image); }

  TPaintStage& PaintStage_Add(std::string_view stageID, TPaintEvent paintEvent);
  bool PaintStage_Get(std::string_view stageID, TPaintStage*& paintStage) const;

  void Group_Show(std::string_view id) { On_GroupShow(id); }
  void Group_Hide(std::string_view id) { On_GroupHide(id); }
  void Group_Show(const std::vector<std::string>& ids);
  void Group_Hide(const std::vector<std::string>& ids);
  void Group_Set(std::string_view id, bool itemVisible);

  TCtrlArea& Area_Add(std::string_view areaID);
  bool Area_Find(std::string_view areaID, TCtrlArea*& area) const;
  void Area_Show(std::string_view id);
  void Area_Hide(std::string_view id);
  void Area_Show(const std::vector<TCtrlArea*>& areas);
  void Area_Hide(const std::vector<TCtrlArea*>& areas);
  void Area_Notify(TAreaAction action, const TMouseState& mouseState);
  void Area_Arrange();

  // The control's class or its direct parent class is SearchClass (exact names).
  bool ClassIs(std::string_view searchClass) const;
  template <typename T>
  bool ClassIs() const {
    return ClassIs(T::StaticClassName());
  }

  // Replaces section Section of the INI file at the resolved Path by one key per live control
  // of List: its SC_ID and its saved parameters. False when the file cannot be written.
  bool SaveItems(const std::string& path, std::string_view section, const TControlList& list) const;

  // Starts the theme task "Ctrl.LoadTheme": On_LoadTheme fills a fresh theme result on its
  // worker, then On_LoadThemeEnd gets it on the interface thread (posted). A result is dropped
  // when the control died meanwhile or a newer load was started. Interface thread only.
  void LoadTheme();
  // Stops the control's tasks for good; destruction does it first of all.
  void StopTasks();

  // The manager's last mouse position (main-view pixels).
  gfx::TPoint MousePos() const;

  // ---- Fields ---------------------------------------------------------------------------
  // The parts most controls use but items do without: made, with their first values, on first
  // use. ExistingParts looks without making them; Lists gives the child lists, none before the
  // parts exist.
  TCtrlParts& Parts() const;
  TCtrlParts* ExistingParts() const { return FParts.get(); }
  const std::vector<std::unique_ptr<TControlList>>& Lists() const;

  std::string SC_ID;
  gfx::TPoint SC_POS;
  int SC_WIDTH = 50;
  int SC_HEIGHT = 50;
  bool SC_VISIBLE = true;
  bool SC_ENABLED = true;
  bool SC_CAN_FOCUS = true;
  bool SC_FOCUSED = false;
  bool SC_CENTER = false;
  bool SC_DRAGABLE = false;
  bool SC_CAN_DRAG = true;
  bool SC_CAN_MOVE = false;
  bool SC_CAN_ACCEPT = false;
  bool scLoading = true;
  TAlignSide SC_ALIGN = asNone;
  TFitMode SC_FIT_MODE = fmNone;
  TCtrlState SC_STATE = csNormal;

 protected:
  TSmartCtrl();

 private:
  friend class TControlList;
  friend void DisposeControl(std::unique_ptr<TSmartCtrl> control);

  // The object Create makes: the destructor of the most derived class runs first, so stopping
  // the tasks here comes before any field of the subclass dies.
  template <typename T>
  class TCreated final : public T {
   public:
    template <typename... Args>
    explicit TCreated(Args&&... args) : T(std::forward<Args>(args)...) {}
    ~TCreated() override { this->StopTasks(); }
  };

  void Construct();
  void ArrangeRects();
  // Expires the handles of this control and of its whole subtree.
  void Retire();
  TCtrlManager* Mgr() const;

  TLifeToken scLife;
  mutable std::unique_ptr<TCtrlParts> FParts;
};

// The rarely used parts of a control (see TSmartCtrl::Parts).
struct TCtrlParts {
  TCtrlParts();
  ~TCtrlParts();
  TCtrlParts(const TCtrlParts&) = delete;
  TCtrlParts& operator=(const TCtrlParts&) = delete;

  std::vector<std::unique_ptr<TCtrlArea>> scAreaList;
  std::vector<std::unique_ptr<TPaintStage>> scPaintStages;
  std::vector<std::unique_ptr<TControlList>> SC_LIST;
  TSkinBuffer* SC_SKIN = nullptr;    // not owned; outlives the controls that use it
  TSmartCtrl* SC_PARENT = nullptr;   // the owner of the list that holds this control
  TControlList* scParentList = nullptr;
  std::string SC_CLASS;
  int SC_WIDTH_MIN = 100;
  int SC_HEIGHT_MIN = 100;
  int SC_OFFSET_LEFT = 0;
  int SC_OFFSET_TOP = 0;
  int SC_OFFSET_BOTTOM = 0;
  int SC_OFFSET_RIGHT = 0;
  TSmartRect SC_RECT;
  TSmartRect SC_RECT_MAIN;
  Weak<TSmartCtrl> SC_SENDER;
  Weak<TSmartCtrl> SC_OWNER;
  Weak<TSmartCtrl> SC_FOCUSE;
  Weak<TSmartCtrl> SC_ACTIVE;
  Weak<TSmartCtrl> SC_ACTIVE_TRY;
  Weak<TSmartCtrl> SC_FOCUSE_TRY;
  config::TResizeParams SC_PARAMS;
  gfx::TPoint ClickPos;
  config::TParamString Parameters;
  config::TParamString ParamsString;
  // The manager the control was added to; without one, the program's manager.
  Weak<TCtrlManager> Manager;
  TOnFirstUse<TCtrlParams, MakeControlParams> Parametrs;  // "Menu" and "ctrl:Index" to begin with
  TOnFirstUse<tasks::TTaskManager, MakeTaskManager> TaskManager;
  std::unique_ptr<tasks::TGeneration> scThemeGeneration;  // made by the first theme load
};

// Destroys a control that has left its list: at once when no input or event is being
// dispatched, otherwise after the outermost dispatch returns (its handles expire at once).
void DisposeControl(std::unique_ptr<TSmartCtrl> control);

// Marks a dispatch of input or events into the control tree. Controls disposed while one is
// open are destroyed when the outermost one closes. Interface thread only.
class TDispatchScope {
 public:
  TDispatchScope();
  ~TDispatchScope();
  TDispatchScope(const TDispatchScope&) = delete;
  TDispatchScope& operator=(const TDispatchScope&) = delete;
  static bool Open();
};

}  // namespace ctrl
