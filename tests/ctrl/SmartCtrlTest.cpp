#include "ctrl/NV_SmartCtrl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "ctrl/CtrlTestControls.h"
#include "ctrl/NV_ControlList.h"
#include "ctrl/NV_SkinBuffer.h"
#include "ctrl/NV_ThemeResult.h"
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
  // The rarely used parts wait for their first use, and then hold their first values.
  EXPECT_EQ(probe->Parts().Parametrs.Existing(), nullptr);
  EXPECT_EQ(probe->Parts().TaskManager.Existing(), nullptr);
  TSmartCtrl* child = AddProbe(*probe, nullptr, "c", 0, 0, 10, 10);
  probe->Group_Show("None");  // looking for group members makes no parameters
  EXPECT_EQ(child->Parts().Parametrs.Existing(), nullptr);
  EXPECT_EQ(probe->Parts().Parametrs->GetParam("ctrl:Index", 0, false), -1);
  EXPECT_NE(probe->Parts().Parametrs->FindParam("Menu"), nullptr);
  EXPECT_EQ(probe->Parts().SC_RECT_MAIN.Right(), 50);
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
  EXPECT_FALSE(parent->Parts().SC_FOCUSE.Live());
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
  EXPECT_EQ(probe->Parts().SC_RECT_MAIN.Width(), 24);
  EXPECT_EQ(probe->SC_FIT_MODE, fmBoth);
  // The identifier is not saved; command, menu and alignment are.
  const std::string saved = probe->Parts().Parametrs->ToText();
  for (const char* item : {"CMD(Item.Copy)", "Menu(M1)", "Align(Left)"})
    EXPECT_NE(saved.find(item), std::string::npos) << saved;
  EXPECT_EQ(saved.find("ID("), std::string::npos) << saved;
  EXPECT_EQ(probe->Parts().Parametrs->GetParam("ID", "", false), "Copy");

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

// A control whose theme load fills its result on the worker and records where each half ran.
class TThemeProbe : public TSmartCtrl {
 public:
  explicit TThemeProbe(TSkinBuffer* skin) { Parts().SC_SKIN = skin; }
  std::thread::id Ui = std::this_thread::get_id();
  std::atomic<bool> LoadedOnWorker{false};
  std::atomic<int> Loads{0};
  std::atomic<int> Size{9};  // a theme setting the next load reads
  int Ends = 0;
  int EndedWithSize = 0;

  void On_LoadTheme(TThemeResult& theme) override {
    LoadedOnWorker = std::this_thread::get_id() != Ui;
    gfx::TBitmap32 picture(4, 4);
    picture.Clear(0xFF00FF00);
    config::TResizeParams stretch;
    stretch.ResizeType = config::TResizeMode::rmStretch;
    theme.AddImage("ControlBack", std::move(picture), stretch);
    theme.LoadFont("Caption", "Size(" + std::to_string(Size.load()) + ")");
    theme.SetOffsets({3, 4, 5, 6});
    theme.SetRect("TextRect", gfx::Rect(1, 2, 30, 40));
    ++Loads;
  }
  void On_LoadThemeEnd(TThemeResult& theme) override {
    EXPECT_EQ(std::this_thread::get_id(), Ui);
    EXPECT_EQ(Parts().SC_OFFSET_LEFT, 0);  // nothing of the result reached the control before
    TSmartCtrl::On_LoadThemeEnd(theme);
    ++Ends;
    EndedWithSize = Parts().SC_SKIN->Font("Caption").Size;
  }
};

TEST(SmartCtrlThread, ThemeIsBuiltOnTheWorkerAndPublishedOnTheInterfaceThread) {
  platform::headless::THeadlessBackend backend;
  TSkinBuffer skin;
  auto c = TSmartCtrl::Create<TThemeProbe>(&skin);
  c->SetPosition({100, 50});
  c->LoadTheme();
  ASSERT_TRUE(backend.Loop.RunUntil([&] { return c->Ends == 1; }, 10000));
  EXPECT_TRUE(c->LoadedOnWorker);
  EXPECT_EQ(c->EndedWithSize, 9);
  EXPECT_NE(skin.GetImageData("ControlBack"), nullptr);
  EXPECT_EQ(c->Parts().SC_OFFSET_BOTTOM, 6);
  EXPECT_EQ(c->Parts().SC_RECT.Left(), 103);  // arranged with the insets
  EXPECT_EQ(c->Parts().SC_RECT.Bottom(), 50 + c->SC_HEIGHT - 6);
  EXPECT_EQ(c->Parts().Parametrs->GetParam("TextRect.Right", 0, true), 30);  // a persistent value
  gfx::TBitmap32 canvas(200, 200);
  canvas.Clear(gfx::clWhite32);
  c->On_Paint(canvas);
  EXPECT_EQ(canvas.Pixel(120, 70), 0xFF00FF00u);  // the published background paints
}

// A load started while an earlier one has not been applied yet supersedes it: only the newer
// result lands, however the two passes interleave.
TEST(SmartCtrlThread, ANewerThemeLoadDropsTheOlderResult) {
  platform::headless::THeadlessBackend backend;
  TSkinBuffer skin;
  auto c = TSmartCtrl::Create<TThemeProbe>(&skin);
  c->LoadTheme();
  while (c->Loads < 1) std::this_thread::yield();  // the first result is made, not yet applied
  c->Size = 14;
  c->LoadTheme();
  ASSERT_TRUE(backend.Loop.RunUntil([&] { return c->Ends >= 1; }, 10000));
  backend.Loop.RunUntil([] { return false; }, 50);  // room for a stray second hand-over
  EXPECT_EQ(c->Ends, 1);
  EXPECT_EQ(c->EndedWithSize, 14);
  EXPECT_EQ(skin.FontCount(), 1);
}

// A theme pass that reads the subclass's own fields while the control is destroyed: the
// destruction waits for the pass before any field of the subclass dies, with no help from the
// subclass, and the result is never applied.
struct TDyingState {
  std::atomic<bool> InPass{false};
  std::atomic<bool> Destroyed{false};
  std::atomic<bool> SawDestroyed{false};
  std::atomic<bool> Applied{false};
};

class TSlowTheme : public TSmartCtrl {
 public:
  explicit TSlowTheme(TDyingState* state) : FState(state) {}
  ~TSlowTheme() override { FState->Destroyed = true; }

  void On_LoadTheme(TThemeResult& theme) override {
    FState->InPass = true;
    tasks::TSmartTask* pass = tasks::TSmartTask::Current();
    while (pass->Active()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    FState->SawDestroyed = FState->Destroyed.load();
    theme.LoadFont(FSection, "Size(9)");  // reads a field of the subclass
  }
  void On_LoadThemeEnd(TThemeResult&) override { FState->Applied = true; }

 private:
  TDyingState* FState;
  std::string FSection = std::string(200, 'x');
};

TEST(SmartCtrlThread, DestroyingAControlWaitsForItsThemePassBeforeItsFieldsDie) {
  platform::headless::THeadlessBackend backend;
  TDyingState state;
  auto c = TSmartCtrl::Create<TSlowTheme>(&state);
  c->LoadTheme();
  while (!state.InPass) std::this_thread::yield();
  c.reset();
  backend.Loop.RunUntil([] { return false; }, 50);
  EXPECT_TRUE(state.Destroyed);
  EXPECT_FALSE(state.SawDestroyed);
  EXPECT_FALSE(state.Applied);
}

// A result that arrives after its control died is dropped.
TEST(SmartCtrlThread, AThemeResultForADeadControlIsDropped) {
  platform::headless::THeadlessBackend backend;
  TSkinBuffer skin;
  auto c = TSmartCtrl::Create<TThemeProbe>(&skin);
  c->LoadTheme();
  while (c->Loads < 1) std::this_thread::yield();
  c.reset();
  backend.Loop.RunUntilIdle();
  EXPECT_EQ(skin.FontCount(), 0);
}

}  // namespace
}  // namespace ctrl
