#include "ctrl/NV_CtrlManager.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "config/NV_Format.h"
#include "config/NV_Ini.h"
#include "config/NV_PathMacros.h"
#include "config/NV_Settings.h"
#include "ctrl/CtrlTestControls.h"
#include "ctrl/NV_ControlFactory.h"
#include "platform/headless/HeadlessBackend.h"

namespace ctrl {
namespace {

using platform::TMouseButton;
using test::AddProbe;
using test::Only;
using test::TJournal;
using test::TProbe;

// A manager fed by a headless window, with the click delay fixed at 250 ms.
class CtrlManagerTest : public ::testing::Test {
 protected:
  CtrlManagerTest() {
    config::TOptions options = *config::Options();
    options.Mouse.ClickDelay = 250;
    config::SetOptions(options);
    manager.SetHostWindow(window.get());
  }
  ~CtrlManagerTest() override {
    // Pending paints run while the window still exists; afterwards nothing asks it for more.
    backend.Loop.RunUntilIdle();
    manager.SetHostWindow(nullptr);
  }

  TProbe* Top(const std::string& id, int x, int y, int w, int h) {
    return manager.AddControl(id, TSmartCtrl::Create<TProbe>(&journal, id, x, y, w, h));
  }

  platform::headless::THeadlessBackend backend;
  TCtrlManager manager;
  TCtrlWindowEvents events{manager};
  std::unique_ptr<platform::headless::THeadlessWindow> window = backend.CreateMainWindow(events, 900, 600);
  TJournal journal;
};

TEST_F(CtrlManagerTest, DockingExample) {
  TProbe* top1 = Top("Top1", 0, 0, 10, 28);
  TProbe* top2 = Top("Top2", 0, 0, 10, 40);
  TProbe* left = Top("Left", 0, 0, 30, 10);
  TProbe* bottom = Top("Bottom", 0, 0, 10, 20);
  TProbe* right = Top("Right", 0, 0, 25, 10);
  top1->SC_ALIGN = top2->SC_ALIGN = asTop;
  left->SC_ALIGN = asLeft;
  bottom->SC_ALIGN = asBot;
  right->SC_ALIGN = asRight;
  manager.Resize(900, 600);

  EXPECT_EQ(top1->SC_POS, (gfx::TPoint{0, 0}));
  EXPECT_EQ(top2->SC_POS, (gfx::TPoint{0, 28}));
  EXPECT_EQ(top1->SC_WIDTH, 900);
  EXPECT_EQ(top2->SC_WIDTH, 900);
  EXPECT_EQ(bottom->SC_POS, (gfx::TPoint{0, 580}));
  EXPECT_EQ(left->SC_POS, (gfx::TPoint{0, 68}));
  EXPECT_EQ(left->SC_HEIGHT, 512);
  EXPECT_EQ(right->SC_POS, (gfx::TPoint{875, 68}));
  EXPECT_EQ(left->Parts().SC_RECT_MAIN.Bottom(), 580);

  // A hidden top bar takes no space.
  top1->SetVisible(false);
  manager.ArrangeControls();
  EXPECT_EQ(top2->SC_POS.Y, 0);
  EXPECT_EQ(left->SC_POS.Y, 40);
  EXPECT_EQ(left->SC_HEIGHT, 540);

  // A centred side bar keeps its height.
  right->SC_CENTER = true;
  right->SC_HEIGHT = 100;
  manager.ArrangeControls();
  EXPECT_EQ(right->SC_POS.Y, 40 + (540 - 100) / 2);
  EXPECT_EQ(right->SC_HEIGHT, 100);
}

TEST_F(CtrlManagerTest, ClickDelayMakesDoubleClicks) {
  Top("A", 0, 0, 100, 100);
  struct Case {
    uint64_t gap;
    TJournal expected;
  };
  const Case cases[] = {{200, {"A:down", "A:double"}},
                        {250, {"A:down", "A:double"}},  // the exact delay still counts
                        {251, {"A:down", "A:down"}},
                        {300, {"A:down", "A:down"}}};
  for (const Case& c : cases) {
    backend.Loop.Advance(1000);
    journal.clear();
    window->Click(TMouseButton::mbLeft, 10, 10);
    backend.Loop.Advance(c.gap);
    window->Click(TMouseButton::mbLeft, 10, 10);
    TJournal presses;
    for (const std::string& e : journal)
      if (e == "A:down" || e == "A:double") presses.push_back(e);
    EXPECT_EQ(presses, c.expected) << c.gap;
  }
  // A third press within the delay of the first single press is a double click again.
  backend.Loop.Advance(1000);
  journal.clear();
  for (int i = 0; i < 3; ++i) {
    window->Click(TMouseButton::mbLeft, 10, 10);
    backend.Loop.Advance(100);
  }
  EXPECT_EQ(Only(journal, "A:double").size(), 2u);
}

// A delay of 0, or a stored one below 0, means no press is a double click by time.
TEST_F(CtrlManagerTest, ClickDelayOfZeroOrBelowMakesNoDoubleClicks) {
  Top("A", 0, 0, 100, 100);
  for (int delay : {0, -1, -250}) {
    config::TOptions options = *config::Options();
    options.Mouse.ClickDelay = delay;
    config::SetOptions(options);
    for (uint64_t gap : {0, 1, 100}) {
      backend.Loop.Advance(1000);
      journal.clear();
      window->Click(TMouseButton::mbLeft, 10, 10);
      backend.Loop.Advance(gap);
      window->Click(TMouseButton::mbLeft, 10, 10);
      EXPECT_EQ(Only(journal, "A:d"), (TJournal{"A:down", "A:down"})) << delay << " / " << gap;
    }
  }
}

TEST_F(CtrlManagerTest, CaptureTakesTheReleaseOnce) {
  TProbe* a = Top("A", 0, 0, 100, 100);
  Top("B", 200, 0, 100, 100);
  a->OnDown = [](TProbe& self) { self.LockFocus(); };
  window->MouseDown(TMouseButton::mbLeft, 10, 10);
  journal.clear();
  window->MouseMove(250, 10);
  window->MouseUp(TMouseButton::mbLeft, 250, 10);
  EXPECT_EQ(Only(journal, ":up"), TJournal{"A:up"});
  EXPECT_EQ(manager.Captured(), nullptr);

  backend.Loop.Advance(1000);
  journal.clear();
  window->MouseUp(TMouseButton::mbLeft, 250, 10);
  EXPECT_EQ(Only(journal, ":up"), TJournal{"B:up"});

  // Only the holder ends a capture, unless it is ended by force.
  TSmartCtrl* b = manager.GetControlData("B");
  a->LockFocus();
  b->UnLockFocus();
  EXPECT_EQ(manager.Captured(), a);
  b->UnLockFocus(true);
  EXPECT_EQ(manager.Captured(), nullptr);
}

TEST_F(CtrlManagerTest, HotAndFocusTrackingAtTopLevel) {
  TProbe* a = Top("A", 0, 0, 100, 100);
  TProbe* b = Top("B", 200, 0, 100, 100);
  window->MouseMove(10, 10);
  window->MouseMove(250, 10);
  EXPECT_EQ(Only(journal, "enter"), (TJournal{"A:enter", "B:enter"}));
  EXPECT_EQ(Only(journal, "leave"), TJournal{"A:leave"});
  window->Click(TMouseButton::mbLeft, 250, 10);
  EXPECT_TRUE(manager.CM_FOCUSE.Same(b));
  EXPECT_TRUE(b->SC_FOCUSED);
  manager.ControlFocus(a);
  EXPECT_TRUE(manager.CM_FOCUSE.Same(a));
  EXPECT_FALSE(b->SC_FOCUSED);
}

TEST_F(CtrlManagerTest, MouseMovesAMovableControl) {
  TProbe* w = Top("W", 100, 100, 50, 50);
  w->SC_CAN_MOVE = true;
  window->MouseDown(TMouseButton::mbLeft, 110, 120);
  window->MouseMove(210, 170);
  EXPECT_TRUE(manager.Moving());
  EXPECT_EQ(w->SC_POS, (gfx::TPoint{200, 150}));
  EXPECT_EQ(window->Cursor(), platform::TCursorKind::ckSizeAll);
  window->MouseUp(TMouseButton::mbLeft, 210, 170);
  EXPECT_FALSE(manager.Moving());
  EXPECT_EQ(window->Cursor(), platform::TCursorKind::ckDefault);
}

TEST_F(CtrlManagerTest, ResizingFollowsTheDirection) {
  TProbe* w = Top("W", 100, 100, 50, 50);
  window->MouseDown(TMouseButton::mbLeft, 110, 110);
  manager.StartResizing(rdLeft);
  window->MouseMove(80, 110);
  EXPECT_EQ(w->SC_POS.X, 80);
  EXPECT_EQ(w->SC_WIDTH, 70);
  manager.ResizeDirection = rdBotRight;
  window->MouseMove(200, 300);
  EXPECT_EQ(w->SC_WIDTH, 120);
  EXPECT_EQ(w->SC_HEIGHT, 200);
  window->MouseUp(TMouseButton::mbLeft, 200, 300);
  EXPECT_FALSE(manager.IsResizing());
}

TEST_F(CtrlManagerTest, WheelGoesToTheControlUnderTheMouse) {
  Top("A", 0, 0, 100, 100);
  Top("B", 200, 0, 100, 100);
  window->Click(TMouseButton::mbLeft, 10, 10);
  journal.clear();
  window->Wheel(120, 250, 10);
  EXPECT_EQ(Only(journal, "wheel"), TJournal{"B:wheel"});
}

TEST_F(CtrlManagerTest, KeysGoToTheFocusAndGlobalKeysToEveryTopLevelControl) {
  TProbe* a = Top("A", 0, 0, 100, 100);
  TProbe* hidden = Top("H", 200, 0, 100, 100);
  AddProbe(*hidden, &journal, "Hc", 200, 0, 10, 10);
  TProbe* deep = AddProbe(*a, &journal, "Ac", 0, 0, 10, 10);
  AddProbe(*a, &journal, "Ah", 50, 50, 10, 10)->SetVisible(false);
  hidden->SetVisible(false);
  window->Click(TMouseButton::mbLeft, 5, 5);
  EXPECT_TRUE(manager.CM_FOCUSE.Same(deep));
  journal.clear();
  window->KeyDown(platform::VK_RETURN);
  EXPECT_EQ(Only(journal, ":key"), TJournal{"Ac:key"});
  // A hidden top-level control still hears it and passes it to its visible children; a hidden
  // child does not.
  EXPECT_EQ(Only(journal, "global"), (TJournal{"A:global", "Ac:global", "H:global", "Hc:global"}));
}

class TFailingKeys : public TProbe {
 public:
  using TProbe::TProbe;
  void On_KeyDown(TVirtualKey key, TShiftState shift) override {
    TProbe::On_KeyDown(key, shift);
    throw std::runtime_error("key handler failed");
  }
};

TEST_F(CtrlManagerTest, AFailingKeyHandlerLosesTheFocusAndInputGoesOn) {
  TProbe* a = Top("A", 0, 0, 100, 100);
  a->AddItem(TSmartCtrl::Create<TFailingKeys>(&journal, "F", 0, 0, 10, 10));
  window->Click(TMouseButton::mbLeft, 5, 5);
  journal.clear();
  window->KeyDown(platform::VK_RETURN);
  EXPECT_FALSE(manager.CM_FOCUSE.Live());
  window->KeyDown(platform::VK_RETURN);
  EXPECT_EQ(Only(journal, ":key"), TJournal{"F:key"});
  EXPECT_EQ(Only(journal, "A:global").size(), 2u);
}

TEST_F(CtrlManagerTest, NotifyIsDepthFirstInOrderAndSkipsHiddenSubtrees) {
  TProbe* a = Top("A", 0, 0, 10, 10);
  TProbe* h = Top("H", 0, 0, 10, 10);
  Top("C", 0, 0, 10, 10);
  AddProbe(*a, &journal, "A1", 0, 0, 5, 5);
  TProbe* a2 = AddProbe(*a, &journal, "A2", 0, 0, 5, 5);
  AddProbe(*a2, &journal, "A2x", 0, 0, 5, 5);
  AddProbe(*h, &journal, "H1", 0, 0, 5, 5);
  TProbe* hiddenChild = AddProbe(*a, &journal, "A3", 0, 0, 5, 5);
  AddProbe(*hiddenChild, &journal, "A3x", 0, 0, 5, 5);
  hiddenChild->SetVisible(false);
  h->SetVisible(false);
  // An event raised inside a handler is delivered completely before the outer one goes on.
  a2->OnEvent = [&](TProbe&, const TEventObject& e) {
    if (e.eoID == "Outer") manager.Notify("Inner");
  };

  journal.clear();
  manager.Notify(TEventObject("Outer", "payload"));
  // The hidden child A3 and its subtree hear nothing; the hidden top-level H still does.
  const TJournal expected = {
      "A:event Outer",   "A1:event Outer", "A2:event Outer",  "A:event Inner",   "A1:event Inner",
      "A2:event Inner",  "A2x:event Inner", "H:event Inner",  "H1:event Inner",  "C:event Inner",
      "A2x:event Outer", "H:event Outer",  "H1:event Outer", "C:event Outer",
  };
  EXPECT_EQ(journal, expected);
}

TEST_F(CtrlManagerTest, AddControlWithAUsedIdentifierDestroysTheNewControl) {
  TProbe* first = Top("QuickBar", 0, 0, 10, 10);
  auto second = TSmartCtrl::Create<TProbe>(&journal, "second");
  Weak<TSmartCtrl> handle = second.get();
  EXPECT_EQ(manager.AddControl("QuickBar", std::move(second)), nullptr);
  EXPECT_FALSE(handle.Live());
  EXPECT_EQ(manager.GetControlData("QuickBar"), first);
  EXPECT_EQ(first->Parts().scParentList, manager.CM_LIST.get());
}

// A window whose close button removes the window from inside the button's own handler.
TEST_F(CtrlManagerTest, AControlRemovedInsideItsOwnHandlerDiesAfterTheHandler) {
  TProbe* win = Top("Win", 0, 0, 200, 200);
  TProbe* close = AddProbe(*win, &journal, "Close", 180, 0, 20, 20);
  Weak<TSmartCtrl> winHandle = win;
  Weak<TSmartCtrl> closeHandle = close;
  bool stillRunning = false;
  close->OnDown = [&](TProbe& self) {
    EXPECT_TRUE(manager.CM_LIST->RemoveControl("Win"));
    // Gone for everyone else at once, but the handler's own object is still whole.
    EXPECT_FALSE(winHandle.Live());
    EXPECT_FALSE(closeHandle.Live());
    self.Log("after-remove");
    stillRunning = self.SC_VISIBLE;
  };
  window->Click(TMouseButton::mbLeft, 190, 10);
  EXPECT_TRUE(stillRunning);
  EXPECT_EQ(manager.CM_LIST->Count(), 0);
  EXPECT_FALSE(manager.CM_FOCUSE.Live());
  EXPECT_FALSE(manager.CM_ACTIVE.Live());
  // Later input and paints find nothing and touch nothing that died.
  window->MouseMove(190, 10);
  window->Click(TMouseButton::mbLeft, 190, 10);
  window->KeyDown(platform::VK_RETURN);
  manager.Notify("After");
  EXPECT_EQ(Only(journal, "After"), TJournal{});
}

TEST_F(CtrlManagerTest, RemoveItemInsideAChildHandler) {
  TProbe* bar = Top("Bar", 0, 0, 300, 30);
  for (int i = 0; i < 3; ++i) AddProbe(*bar, &journal, "I" + std::to_string(i), i * 40, 0, 30, 30)->SetID("I" + std::to_string(i));
  TSmartCtrl* found = nullptr;
  ASSERT_TRUE(bar->FindItem("I1", found));
  static_cast<TProbe*>(found)->OnDown = [bar](TProbe& self) { bar->RemoveItem(self.SC_ID); };
  window->Click(TMouseButton::mbLeft, 45, 10);
  EXPECT_FALSE(bar->FindItem("I1", found));
  EXPECT_EQ(bar->List(0)->Count(), 2);
  window->Click(TMouseButton::mbLeft, 45, 10);  // the place is empty now
}

TEST_F(CtrlManagerTest, InternalDragDeliversOverAndDrop) {
  TProbe* source = Top("Src", 0, 0, 100, 100);
  Top("Dst", 200, 0, 100, 100);
  source->OnDown = [](TProbe& self) { self.BeginDrag(10, 10, &self); };
  window->MouseDown(TMouseButton::mbLeft, 10, 10);
  EXPECT_TRUE(manager.Dragging());
  EXPECT_EQ(manager.DragData->ddSender, source);
  EXPECT_FALSE(manager.BeginDrag(source, source, 0, 0));  // one drag at a time
  window->MouseMove(250, 50);
  EXPECT_EQ(manager.DragData->ddPos, (gfx::TPoint{250, 50}));
  window->MouseUp(TMouseButton::mbLeft, 250, 50);
  EXPECT_FALSE(manager.Dragging());
  EXPECT_EQ(Only(journal, "drag"), TJournal{"Dst:dragover"});
  EXPECT_EQ(Only(journal, "drop"), TJournal{"Dst:drop"});
}

TEST_F(CtrlManagerTest, PaintsInListOrderAndSkipsHiddenControls) {
  auto paintWith = [](TSmartCtrl* c, gfx::TColor32 color) {
    c->PaintStage_Add("Fill", [c, color](gfx::TBitmap32& canvas, const std::string&) {
      for (int y = c->SC_POS.Y; y < c->SC_POS.Y + c->SC_HEIGHT; ++y)
        for (int x = c->SC_POS.X; x < c->SC_POS.X + c->SC_WIDTH; ++x) canvas.SetPixel(x, y, color);
    });
  };
  paintWith(Top("Under", 0, 0, 20, 20), 0xFFFF0000u);
  paintWith(Top("Over", 10, 10, 20, 20), 0xFF00FF00u);
  TProbe* hidden = Top("Hidden", 0, 0, 5, 5);
  paintWith(hidden, 0xFF0000FFu);
  hidden->SetVisible(false);
  window->Invalidate();
  backend.Loop.RunUntilIdle();
  const gfx::TBitmap32& shown = window->Presented();
  ASSERT_EQ(shown.Width(), 900);
  EXPECT_EQ(shown.Pixel(2, 2), 0xFFFF0000u);
  EXPECT_EQ(shown.Pixel(15, 15), 0xFF00FF00u);
  EXPECT_EQ(shown.Pixel(50, 50), gfx::clWhite32);

  // During an internal drag the drag image follows the mouse, 10 pixels down and right.
  ASSERT_TRUE(manager.BeginDrag(hidden, nullptr, 0, 0));
  manager.DragData->ddImage.Clear(0xFF123456u);
  manager.DragData->ddPos = {100, 100};
  gfx::TBitmap32 canvas(200, 200);
  canvas.Clear(gfx::clWhite32);
  manager.PaintControls(canvas);
  EXPECT_EQ(canvas.Pixel(110, 110), 0xFF123456u);
  EXPECT_EQ(canvas.Pixel(114, 114), 0xFF123456u);
  EXPECT_EQ(canvas.Pixel(109, 110), gfx::clWhite32);
  manager.DragData->ddType = dtFiles;  // files from outside show no image of ours
  canvas.Clear(gfx::clWhite32);
  manager.PaintControls(canvas);
  EXPECT_EQ(canvas.Pixel(110, 110), gfx::clWhite32);
  manager.EndDrag();
  EXPECT_FALSE(manager.Dragging());
}

TEST_F(CtrlManagerTest, CreateControlGoesThroughTheFactory) {
  struct TFactoryReset {
    ~TFactoryReset() { TControlFactory::Instance().Clear(); }
  } reset;
  TControlFactory& factory = TControlFactory::Instance();
  factory.Register("QuickFilter", [this](TSmartCtrl*, const config::TParamString&) {
    return TSmartCtrl::Create<TProbe>(&journal, "filter");
  });
  factory.SetFallback([this](TSmartCtrl*, const config::TParamString& p) -> std::unique_ptr<TSmartCtrl> {
    if (p.GetParam("CMD", "") == "Unknown") return nullptr;
    return TSmartCtrl::Create<TProbe>(&journal, "button");
  });
  TProbe* bar = Top("Bar", 0, 0, 300, 30);
  TControlList& items = bar->AddList("Items");

  TSmartCtrl* made = manager.CreateControl(bar, "ID(F), CMD(QuickFilter), Width(80)", items);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(static_cast<TProbe*>(made)->Name(), "filter");
  EXPECT_EQ(made->SC_ID, "F");
  EXPECT_EQ(made->SC_WIDTH, 80);
  EXPECT_EQ(made->Parts().SC_PARENT, bar);
  EXPECT_EQ(manager.CreateControl(bar, "ID(F), CMD(Item.Copy)", items), nullptr);  // taken
  EXPECT_EQ(manager.CreateControl(bar, "CMD(Unknown)", items), nullptr);
  TSmartCtrl* button = manager.CreateControl(bar, "CMD(Item.Copy)", items, 0);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->SC_ID.size(), 5u);  // a fresh identifier for a definition without one
  EXPECT_EQ(items.Control(0), button);
  EXPECT_EQ(items.Count(), 2);
}

}  // namespace
}  // namespace ctrl

namespace ctrl {
namespace {

// A temporary application folder whose settings file holds a bar section between two others.
class CtrlManagerSettings : public CtrlManagerTest {
 protected:
  CtrlManagerSettings() {
    folder = std::filesystem::temp_directory_path() /
             ("norvo-ctrl-" + std::to_string(::getpid()) + "-" + config::RandomDigits());
    std::filesystem::create_directories(folder / "Data");
    settings = (folder / "Data" / "Settings.NVS").string();
    std::ofstream(settings) << "[Norvo]\nX=1\n[QuickBar]\nCopy=CMD(Item.Copy), Width(24)\n"
                               "Paste=CMD(Item.Paste)\n[After]\nY=2\n";
    config::TPathContext context = *config::PathContext();
    saved = context;
    context.AppFolder = folder.string();
    config::SetPathContext(context);
    TControlFactory::Instance().SetFallback([](TSmartCtrl*, const config::TParamString&) {
      return TSmartCtrl::Create<TProbe>(nullptr, "button");
    });
  }
  ~CtrlManagerSettings() override {
    TControlFactory::Instance().Clear();
    config::SetPathContext(saved);
    std::filesystem::remove_all(folder);
  }

  std::filesystem::path folder;
  std::string settings;
  config::TPathContext saved;
};

// The settings file may be UTF-16 as well: the section is found and rewritten all the same, and
// the file keeps its encoding.
TEST_F(CtrlManagerSettings, SaveItemsRewritesTheSectionOfAUtf16File) {
  std::string text = "[Norvo]\r\nX=1\r\n[QuickBar]\r\nCopy=CMD(Item.Copy)\r\nPaste=CMD(Item.Paste)\r\n[After]\r\nY=2\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : text) (utf16 += c) += '\0';
  std::ofstream(settings, std::ios::binary | std::ios::trunc) << utf16;
  TProbe* bar = Top("QuickBar", 0, 0, 300, 30);
  TControlList& items = bar->AddList("Items");
  manager.LoadControls(bar, "", "QuickBar", items);
  ASSERT_EQ(items.Count(), 2);
  EXPECT_TRUE(bar->RemoveItem("Copy"));
  ASSERT_TRUE(bar->SaveItems(settings, "QuickBar", items));
  const std::optional<config::TIniFile> file = config::LoadIniFile(settings);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->Encoding(), config::TTextEncoding::teUtf16LE);
  EXPECT_FALSE(file->ReadValue("QuickBar", "Copy").has_value());  // removed items stay removed
  EXPECT_TRUE(file->ReadValue("QuickBar", "Paste").has_value());
  EXPECT_EQ(file->ReadString("After", "Y", ""), "2");
  int sections = 0;
  for (const config::TIniEntry& entry : file->Entries()) sections += entry.Key == "Paste";
  EXPECT_EQ(sections, 1);
}

TEST_F(CtrlManagerSettings, LoadControlsThenSaveItemsRoundTrip) {
  TProbe* bar = Top("QuickBar", 0, 0, 300, 30);
  TControlList& items = bar->AddList("Items");
  manager.LoadControls(bar, "ignored", "quickbar", items);
  ASSERT_EQ(items.Count(), 2);
  EXPECT_EQ(items.Control(0)->SC_ID, "Copy");
  EXPECT_EQ(items.Control(0)->SC_WIDTH, 24);
  EXPECT_EQ(items.Control(1)->SC_ID, "Paste");

  EXPECT_TRUE(bar->RemoveItem("Copy"));
  ASSERT_TRUE(bar->SaveItems(settings, "QuickBar", items));
  const std::optional<config::TIniFile> file = config::LoadIniFile(settings);
  ASSERT_TRUE(file.has_value());
  EXPECT_FALSE(file->ReadValue("QuickBar", "Copy").has_value());
  EXPECT_NE(file->ReadString("QuickBar", "Paste", "").find("CMD(Item.Paste)"), std::string::npos);
  EXPECT_EQ(file->ReadString("Norvo", "X", ""), "1");
  EXPECT_EQ(file->ReadString("After", "Y", ""), "2");

  // Loading again adds nothing that the list holds already.
  manager.LoadControls(bar, "", "QuickBar", items);
  EXPECT_EQ(items.Count(), 1);
}

TEST(EventObject, BuildersChooseThePayload) {
  const TEventObject byName("TipPopDown");
  EXPECT_EQ(byName.eoType, etString);
  EXPECT_EQ(byName.eoString, "TipPopDown");
  const TEventObject withText("ActivatedHolder", "12345");
  EXPECT_EQ(withText.eoID, "ActivatedHolder");
  EXPECT_EQ(withText.eoString, "12345");
  const TEventObject withList("Control.RemoveItem", std::vector<std::string>{"QuickBar", "Copy"});
  EXPECT_EQ(withList.eoType, etStringArray);
  EXPECT_EQ(withList.eoStringArr, (std::vector<std::string>{"QuickBar", "Copy"}));
}

}  // namespace
}  // namespace ctrl
