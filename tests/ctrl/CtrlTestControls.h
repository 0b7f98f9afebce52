// Small controls for the framework tests: a probe that records what reaches it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ctrl/NV_ControlList.h"
#include "ctrl/NV_SmartCtrl.h"

namespace ctrl::test {

// One shared journal: "<name>:<what>" per call.
using TJournal = std::vector<std::string>;

class TProbe : public TSmartCtrl {
  NV_CTRL_CLASS(TProbe, TSmartCtrl)

 public:
  TProbe(TJournal* journal, std::string name, int x = 0, int y = 0, int w = 50, int h = 50)
      : FJournal(journal), FName(std::move(name)) {
    SC_POS = {x, y};
    SC_WIDTH = w;
    SC_HEIGHT = h;
  }

  std::function<void(TProbe&)> OnDown;  // runs inside On_MouseDown
  std::function<void(TProbe&, const TEventObject&)> OnEvent;
  bool LoadingSeenInCreate = false;

  void On_Create() override {
    LoadingSeenInCreate = scLoading;
    Log("create");
  }
  void On_Enter(int x, int y) override {
    Log("enter");
    TSmartCtrl::On_Enter(x, y);
  }
  void On_Leave(int x, int y) override {
    Log("leave");
    TSmartCtrl::On_Leave(x, y);
  }
  TSmartCtrl* On_Focus(TMouseButton b, TShiftState s, int x, int y) override {
    Log("focus");
    return TSmartCtrl::On_Focus(b, s, x, y);
  }
  TSmartCtrl* On_UnFocus(TMouseButton b, TShiftState s, int x, int y) override {
    Log("unfocus");
    return TSmartCtrl::On_UnFocus(b, s, x, y);
  }
  void On_Resize(int w, int h) override {
    Log("resize");
    TSmartCtrl::On_Resize(w, h);
  }
  void On_Paint(gfx::TBitmap32& canvas) override {
    if (SC_VISIBLE) Log("paint");
    TSmartCtrl::On_Paint(canvas);
  }
  TSmartCtrl* On_MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    Log("down");
    if (OnDown) OnDown(*this);
    return TSmartCtrl::On_MouseDown(b, s, x, y);
  }
  TSmartCtrl* On_MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    Log("up");
    return TSmartCtrl::On_MouseUp(b, s, x, y);
  }
  TSmartCtrl* On_MouseDouble(TMouseButton b, TShiftState s, int x, int y) override {
    Log("double");
    return TSmartCtrl::On_MouseDouble(b, s, x, y);
  }
  TSmartCtrl* On_MouseMove(TShiftState s, int x, int y) override {
    Log("move");
    return TSmartCtrl::On_MouseMove(s, x, y);
  }
  TSmartCtrl* On_MouseWheel(TWheelMessage& msg) override {
    Log("wheel");
    return TSmartCtrl::On_MouseWheel(msg);
  }
  void On_KeyDown(TVirtualKey key, TShiftState shift) override {
    Log("key");
    TSmartCtrl::On_KeyDown(key, shift);
  }
  void On_GlobalKeyDown(TVirtualKey key, TShiftState shift) override {
    Log("global");
    TSmartCtrl::On_GlobalKeyDown(key, shift);
  }
  void On_Notify(const TEventObject& event) override {
    Log("event " + event.eoID);
    if (OnEvent) OnEvent(*this, event);
    TSmartCtrl::On_Notify(event);
  }
  TSmartCtrl* On_DragOver(TDragData& data, int x, int y) override {
    Log("dragover");
    return TSmartCtrl::On_DragOver(data, x, y);
  }
  TSmartCtrl* On_Drop(TMouseButton b, TShiftState s, int x, int y, TDragData& data) override {
    Log("drop");
    return TSmartCtrl::On_Drop(b, s, x, y, data);
  }

  void Log(const std::string& what) {
    if (FJournal != nullptr) FJournal->push_back(FName + ":" + what);
  }

  const std::string& Name() const { return FName; }

 private:
  TJournal* FJournal;
  std::string FName;
};

inline TProbe* AddProbe(TSmartCtrl& parent, TJournal* journal, std::string name, int x, int y, int w,
                        int h, int list = 0) {
  return parent.AddItem(TSmartCtrl::Create<TProbe>(journal, std::move(name), x, y, w, h), list);
}

// Entries of Journal that start with Prefix, in order.
inline std::vector<std::string> Only(const TJournal& journal, const std::string& needle) {
  std::vector<std::string> out;
  for (const std::string& e : journal)
    if (e.find(needle) != std::string::npos) out.push_back(e);
  return out;
}

}  // namespace ctrl::test
