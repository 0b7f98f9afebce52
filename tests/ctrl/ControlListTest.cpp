#include "ctrl/NV_ControlList.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ctrl/CtrlTestControls.h"

namespace ctrl {
namespace {

using test::TProbe;

std::unique_ptr<TProbe> Named(const std::string& id) {
  auto p = TSmartCtrl::Create<TProbe>(nullptr, id);
  p->SC_ID = id;
  return p;
}

std::string Order(const TControlList& list) {
  std::string out;
  for (int i = 0; i < list.Count(); ++i) out += list.Control(i)->SC_ID;
  return out;
}

TEST(ControlList, MoveControlIndexRule) {
  struct Case {
    int from, to;
    const char* expected;
  };
  const Case cases[] = {
      {0, 3, "bcade"},  // forward: lands one before the target
      {4, 9, "abcde"},  // clamped to the end
      {3, 0, "dabce"},  // backward: lands on the target
      {1, -4, "bacde"},
      {7, 0, "abcde"},  // no such entry
  };
  for (const Case& c : cases) {
    TControlList list;
    for (const char* id : {"a", "b", "c", "d", "e"}) list.AddControl(Named(id));
    list.MoveControl(c.from, c.to);
    EXPECT_EQ(Order(list), c.expected) << c.from << " -> " << c.to;
    EXPECT_EQ(list.Control(0)->Parts().scParentList, &list);
  }
  TControlList list;
  for (const char* id : {"a", "b", "c"}) list.AddControl(Named(id));
  EXPECT_TRUE(list.MoveControl("a", 2));
  EXPECT_EQ(Order(list), "bac");
  EXPECT_FALSE(list.MoveControl("z", 0));
}

TEST(ControlList, DuplicatesAndDeadControlsAreDestroyed) {
  TControlList list;
  list.CL_ADD_DUPS = false;
  ASSERT_NE(list.AddControl(Named("a")), nullptr);
  auto dup = Named("a");
  Weak<TSmartCtrl> handle = dup.get();
  EXPECT_EQ(list.AddControl(std::move(dup)), nullptr);
  EXPECT_FALSE(handle.Live());
  EXPECT_EQ(list.AddControl(Named("")), nullptr);  // no identifier: not a live control
  EXPECT_EQ(list.AddControl(nullptr), nullptr);
  EXPECT_EQ(list.Count(), 1);

  list.CL_ADD_DUPS = true;
  EXPECT_NE(list.AddControl(Named("a"), 0), nullptr);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_TRUE(list.RemoveControl("a"));
  EXPECT_EQ(list.Count(), 1);
}

// A thousand controls of one class with generated identifiers: five random digits collide
// often at that count, and every collision is drawn again, so each one can be found and removed.
TEST(ControlList, GeneratedIdentifiersAreUniqueAmongSiblings) {
  for (bool addDups : {true, false}) {
    TControlList list;
    list.CL_ADD_DUPS = addDups;
    for (int i = 0; i < 1000; ++i) ASSERT_NE(list.AddControl(TSmartCtrl::Create<TProbe>(nullptr, "p")), nullptr);
    std::set<std::string> ids;
    for (int i = 0; i < list.Count(); ++i) {
      EXPECT_TRUE(list.Control(i)->HasGeneratedID());
      ids.insert(list.Control(i)->SC_ID);
    }
    EXPECT_EQ(ids.size(), 1000u);
    const std::string victim = list.Control(500)->SC_ID;
    ASSERT_TRUE(list.RemoveControl(victim));
    EXPECT_FALSE(list.ControlExists(victim));
    EXPECT_EQ(list.Count(), 999);
  }
  // A duplicate the owner chose is no generated identifier: it is kept or refused, never renamed.
  TControlList list;
  const std::string shaped = "TProbe12345";
  ASSERT_NE(list.AddControl(Named("Copy")), nullptr);
  EXPECT_EQ(list.AddControl(Named("Copy"))->SC_ID, "Copy");
  auto first = TSmartCtrl::Create<TProbe>(nullptr, "p");
  first->SC_ID = shaped;
  list.AddControl(std::move(first));
  auto second = TSmartCtrl::Create<TProbe>(nullptr, "p");
  second->SC_ID = shaped;
  EXPECT_NE(list.AddControl(std::move(second))->SC_ID, shaped);  // of the generated form: drawn anew
}

TEST(ControlList, LastVisibleAndControlAtXY) {
  TControlList list;
  for (const char* id : {"a", "b", "c", "d"}) list.AddControl(Named(id));
  list.Control(0)->SC_ALIGN = asTop;
  list.Control(1)->SC_ALIGN = asTop;
  list.Control(1)->SC_VISIBLE = false;
  list.Control(2)->SC_ALIGN = asLeft;
  TSmartCtrl* found = nullptr;
  EXPECT_TRUE(list.LastVisible(found, 3, asTop));
  EXPECT_EQ(found->SC_ID, "a");
  EXPECT_FALSE(list.LastVisible(found, 0, asTop));
  EXPECT_FALSE(list.LastVisible(found, 2, asLeft));

  // Visibility is not tested here; the last one that contains the point wins.
  EXPECT_EQ(list.ControlAtXY(10, 10)->SC_ID, "d");
  list.Control(3)->SC_ID.clear();
  EXPECT_EQ(list.ControlAtXY(10, 10)->SC_ID, "c");
}

}  // namespace
}  // namespace ctrl
