#include "ctrl/NV_SmartCtrl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ctrl/CtrlTestControls.h"
#include "ctrl/NV_ControlList.h"
#include "platform/headless/HeadlessBackend.h"

namespace ctrl {
namespace {

using test::AddProbe;
using test::Only;
using test::TJournal;
using test::TProbe;

TEST(SmartCtrl, ConstructionRunsHooksWhileLoadingAndNamesTheControl) {
  TJournal journal;
  auto probe = TSmartCtrl::Create<TProbe>(&journal, "p");
  EXPECT_TRUE(probe->LoadingSeenInCreate);
  EXPECT_FALSE(probe->scLoading);
  EXPECT_EQ(journal, TJournal{"p:create"});
  ASSERT_EQ(probe->SC_ID.size(), 5u + 6u);
  EXPECT_EQ(probe->SC_ID.substr(0, 6), "TProbe");
  EXPECT_EQ(probe->Parametrs->GetParam("ctrl:Index", 0, false), -1);
  EXPECT_NE(probe->Parametrs->FindParam("Menu"), nullptr);
  EXPECT_EQ(probe->SC_RECT_MAIN.Right(), 50);
}

TEST(SmartCtrl, WeakHandleExpiresWithTheControlAndWithAnEmptyID) {
  auto probe = TSmartCtrl::Create<TProbe>(nullptr, "p");
  Weak<TSmartCtrl> handle = probe.get();
  EXPECT_TRUE(handle.Live());
  probe->SC_ID.clear();
  EXPECT_FALSE(handle.Live());
  probe->SC_ID = "x";
  EXPECT_TRUE(handle.Live());
  probe.reset();
  EXPECT_EQ(handle.Get(), nullptr);
}

class SmartCtrlChildren : public ::testing::Test {
 protected:
  TJournal journal;
  std::unique_ptr<TProbe> parent = TSmartCtrl::Create<TProbe>(&journal, "parent", 0, 0, 300, 100);
};

TEST_F(SmartCtrlChildren, OverlapLaterChildWinsAndHiddenChildIsSkipped) {
  TProbe* a = AddProbe(*parent, &journal, "a", 0, 0, 60, 20);
  TProbe* b = AddProbe(*parent, &journal, "b", 40, 0, 60, 20);
  EXPECT_EQ(parent->ItemNotify(50, 10, false), b);
  b->SetVisible(false);
  EXPECT_EQ(parent->ItemNotify(50, 10, false), a);

  // The hidden child is not painted but still hears the resize.
  journal.clear();
  gfx::TBitmap32 canvas(300, 100);
  parent->On_Paint(canvas);
  parent->On_Resize(300, 100);
  EXPECT_EQ(Only(journal, "b:"), TJournal{"b:resize"});
  EXPECT_EQ(Only(journal, "a:"), (TJournal{"a:paint", "a:resize"}));
}

TEST_F(SmartCtrlChildren, HotMovesLeaveBeforeEnterAndRefocusCallsFocusAgain) {
  AddProbe(*parent, &journal, "a", 0, 0, 20, 20);
  AddProbe(*parent, &journal, "b", 30, 0, 20, 20);
  parent->ItemNotify(10, 10, false);
  journal.clear();
  parent->ItemNotify(40, 10, false);
  EXPECT_EQ(journal, (TJournal{"a:leave", "b:enter"}));

  parent->ItemNotify(40, 10, true);
  journal.clear();
  parent->ItemNotify(40, 10, true);
  EXPECT_EQ(journal, TJournal{"b:focus"});
  journal.clear();
  parent->ItemNotify(10, 10, true);
  EXPECT_EQ(journal, (TJournal{"b:leave", "a:enter", "b:unfocus", "a:focus"}));
}

TEST_F(SmartCtrlChildren, FirstListThatHitsDecides) {
  parent->AddList("Back");
  parent->AddList("Front");
  TProbe* back = AddProbe(*parent, &journal, "back", 0, 0, 50, 50, 0);
  AddProbe(*parent, &journal, "front", 0, 0, 50, 50, 1);
  EXPECT_EQ(parent->ItemNotify(10, 10, false), back);
}

TEST_F(SmartCtrlChildren, RemoveItemDestroysAndClearsReferences) {
  TProbe* a = AddProbe(*parent, &journal, "a", 0, 0, 20, 20);
  a->SetID("gone");
  parent->ItemNotify(5, 5, true);
  Weak<TSmartCtrl> handle = a;
  EXPECT_TRUE(parent->RemoveItem("gone"));
  EXPECT_FALSE(handle.Live());
  EXPECT_FALSE(parent->SC_FOCUSE.Live());
  EXPECT_FALSE(parent->RemoveItem("gone"));
}

TEST_F(SmartCtrlChildren, GetDropIndexProbesBackwards) {
  TControlList& items = parent->AddList("Items");
  for (int i = 0; i < 3; ++i) AddProbe(*parent, nullptr, "i", 10 + 30 * i, 0, 20, 20);
  struct Case {
    int x;
    int expected;
  };
  for (const Case c : {Case{5, 0}, Case{15, 1}, Case{35, 1}, Case{95, 3}, Case{280, 3}})
    EXPECT_EQ(parent->GetDropIndex(c.x, 10, items, false), c.expected) << c.x;
  EXPECT_EQ(parent->GetDropIndex(15, 99, items, true), 1);  // probes up to the bottom edge
  EXPECT_EQ(parent->GetDropIndex(5, 99, items, true), 0);
}

TEST_F(SmartCtrlChildren, GroupsShowAndHideByExactName) {
  TProbe* a = AddProbe(*parent, nullptr, "a", 0, 0, 20, 20);
  TProbe* b = AddProbe(*parent, nullptr, "b", 0, 0, 20, 20);
  a->Group_Set("Tools", false);
  b->Group_Set("tools", true);
  parent->Group_Show("Tools");
  EXPECT_TRUE(a->SC_VISIBLE);
  parent->Group_Hide(std::vector<std::string>{"Tools", "tools"});
  EXPECT_FALSE(a->SC_VISIBLE);
  EXPECT_FALSE(b->SC_VISIBLE);
}

TEST(SmartCtrl, SetParamsAlignmentAndSizes) {
  struct Case {
    const char* params;
    TAlignSide expected;
  };
  const Case cases[] = {
      {"CMD(x)", asLeft},        {"Align(Top)", asTop},    {"Align(Bot)", asBot},
      {"Align(Right)", asRight}, {"Align(None)", asNone},  {"Align(Centre)", asTop},
      {"Align(top)", asTop},
  };
  for (const Case& c : cases) {
    auto probe = TSmartCtrl::Create<TProbe>(nullptr, "p");
    probe->SC_ALIGN = asTop;
    probe->SetParams(c.params);
    EXPECT_EQ(probe->SC_ALIGN, c.expected) << c.params;
  }

  auto probe = TSmartCtrl::Create<TProbe>(nullptr, "p");
  probe->SetParams("ID(Copy), CMD(Item.Copy), Width(24), Height(30), Fit(Both), Menu(M1)");
  EXPECT_EQ(probe->SC_ID, "Copy");
  EXPECT_EQ(probe->SC_WIDTH, 24);
  EXPECT_EQ(probe->SC_HEIGHT, 30);
  EXPECT_EQ(probe->SC_RECT_MAIN.Width(), 24);
  EXPECT_EQ(probe->SC_FIT_MODE, fmBoth);
  // The identifier is not saved; command, menu and alignment are.
  const std::string saved = probe->Parametrs->ToText();
  for (const char* item : {"CMD(Item.Copy)", "Menu(M1)", "Align(Left)"})
    EXPECT_NE(saved.find(item), std::string::npos) << saved;
  EXPECT_EQ(saved.find("ID("), std::string::npos) << saved;
  EXPECT_EQ(probe->Parametrs->GetParam("ID", "", false), "Copy");

  const std::string before = probe->SC_ID;
  probe->SetParams("");
  EXPECT_EQ(probe->SC_ID, before);
}

class TActionButton : public TSmartCtrl {
  NV_CTRL_CLASS(TActionButton, TSmartCtrl)
};
class TExecButton : public TActionButton {
  NV_CTRL_CLASS(TExecButton, TActionButton)
};

TEST(SmartCtrl, ClassIsLooksOneGenerationUp) {
  auto exec = TSmartCtrl::Create<TExecButton>();
  EXPECT_TRUE(exec->ClassIs<TExecButton>());
  EXPECT_TRUE(exec->ClassIs<TActionButton>());
  EXPECT_FALSE(exec->ClassIs<TSmartCtrl>());
  EXPECT_FALSE(exec->ClassIs("texecbutton"));
  EXPECT_TRUE(TSmartCtrl::Create<TActionButton>()->ClassIs("TSmartCtrl"));
}

class TAreaProbe : public TSmartCtrl {
 public:
  std::vector<std::string> Hits;
  void On_AreaEvent(TCtrlArea& area, TAreaAction, const TMouseState&) override { Hits.push_back(area.caID); }
};

TEST(SmartCtrl, AreaNotifyGoesToTheLastAreaStrictlyContainingThePoint) {
  auto c = TSmartCtrl::Create<TAreaProbe>();
  TCtrlArea& under = c->Area_Add("under");
  under.caRight = under.caBottom = 40;
  TCtrlArea& over = c->Area_Add("over");
  over.caLeft = over.caTop = 10;
  over.caRight = over.caBottom = 30;
  c->Area_Hide("over");  // visibility does not matter for the notification

  TMouseState state;
  for (gfx::TPoint p : {gfx::TPoint{20, 20}, gfx::TPoint{10, 20}, gfx::TPoint{5, 5}, gfx::TPoint{0, 5}}) {
    state.msPos = p;
    c->Area_Notify(eaMouseDown, state);
  }
  EXPECT_EQ(c->Hits, (std::vector<std::string>{"over", "under", "under"}));
}

TEST(SmartCtrl, KeyStatusTracksButtons) {
  TKeyStatus status;
  status.SetStatus(TMouseButton::mbRight, ksPressed);
  EXPECT_TRUE(status.GetStatus(TMouseButton::mbRight, ksPressed));
  EXPECT_EQ(status.GetStatus(TMouseButton::mbLeft), ksNormal);
  status.Reset();
  EXPECT_EQ(status.GetStatus(TMouseButton::mbRight), ksNormal);
}

// On_LoadTheme runs on the task's worker, On_LoadThemeEnd afterwards on the interface thread.
class TThemeProbe : public TSmartCtrl {
 public:
  ~TThemeProbe() override { StopTasks(); }
  std::atomic<bool> LoadedOnWorker{false};
  bool EndedOnUi = false;
  std::thread::id Ui = std::this_thread::get_id();
  void On_LoadTheme() override { LoadedOnWorker = std::this_thread::get_id() != Ui; }
  void On_LoadThemeEnd() override { EndedOnUi = std::this_thread::get_id() == Ui; }
};

TEST(SmartCtrlThread, LoadThemeRunsOnTheWorkerAndEndsOnTheInterfaceThread) {
  platform::headless::THeadlessBackend backend;
  auto c = TSmartCtrl::Create<TThemeProbe>();
  c->LoadTheme();
  ASSERT_TRUE(backend.Loop.RunUntil([&] { return c->EndedOnUi; }, 10000));
  EXPECT_TRUE(c->LoadedOnWorker);

  // A control that dies before the hand-over arrives is left alone.
  auto gone = TSmartCtrl::Create<TThemeProbe>();
  gone->LoadTheme();
  gone.reset();
  backend.Loop.RunUntilIdle();
}

}  // namespace
}  // namespace ctrl
