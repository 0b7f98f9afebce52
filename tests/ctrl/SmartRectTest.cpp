#include <gtest/gtest.h>

#include <climits>

#include "ctrl/NV_CtrlArea.h"
#include "ctrl/NV_MouseState.h"
#include "ctrl/NV_SmartRect.h"

using namespace ctrl;

namespace {
std::array<int, 6> Fields(const TSmartRect& r) {
  return {r.SR_LEFT, r.SR_TOP, r.SR_RIGHT, r.SR_BOTTOM, r.SR_WIDTH, r.SR_HEIGHT};
}
}  // namespace

TEST(SmartRect, SetRectOrdersTheEdgesOnlyWhenAsked) {
  struct TCase {
    int X1, Y1, X2, Y2;
    bool Watch;
    std::array<int, 6> Want;  // left, top, right, bottom, width, height
  };
  const TCase cases[] = {
      {10, 20, 5, 8, true, {5, 8, 10, 20, 5, 12}},
      {10, 20, 5, 8, false, {10, 20, 5, 8, -5, -12}},
      {1, 2, 3, 4, true, {1, 2, 3, 4, 2, 2}},
  };
  for (const TCase& c : cases) {
    TSmartRect r;
    r.SetRect(c.X1, c.Y1, c.X2, c.Y2, c.Watch);
    EXPECT_EQ(Fields(r), c.Want) << c.X1 << "," << c.Y1 << "," << c.X2 << "," << c.Y2 << " "
                                 << c.Watch;
  }
  TSmartRect sized;
  sized.SetRect(3, 4, 10, 20);
  EXPECT_EQ(Fields(sized), (std::array<int, 6>{3, 4, 13, 24, 10, 20}));
}

TEST(SmartRect, EdgesAndSizesFollowEachOther) {
  TSmartRect r;
  r.SetRect(10, 10, 30, 40, false);
  r.Left(0, true);  // keeps the width
  EXPECT_EQ(Fields(r), (std::array<int, 6>{0, 10, 20, 40, 20, 30}));
  r.Left(5);  // keeps the right edge
  EXPECT_EQ(Fields(r), (std::array<int, 6>{5, 10, 20, 40, 15, 30}));
  r.Top(0, true);
  r.Bottom(10);
  r.Width(7);
  EXPECT_EQ(Fields(r), (std::array<int, 6>{5, 0, 12, 10, 7, 10}));
  r.Width(INT_MAX);  // held to the range instead of overflowing
  EXPECT_EQ(r.Right(), INT_MAX);
}

TEST(SmartRect, CentresAndHitTests) {
  TSmartRect r;
  r.SetRect(10, 20, 5, 1);
  EXPECT_EQ(r.WidthCenter(), 12);  // 10 + 5 / 2, truncated
  EXPECT_EQ(r.HeightCenter(), 0);  // a size below 2
  r.SetRect(0, 0, 10, 10, true);
  EXPECT_TRUE(r.Intersects(gfx::TRect{9, 9, 20, 20}));
  EXPECT_FALSE(r.Intersects(gfx::TRect{10, 0, 20, 10}));  // only touching
  TSmartRect other;
  other.SetRect(5, 5, 6, 6, true);
  EXPECT_TRUE(r.Intersects(other));
  EXPECT_TRUE(r.Intersects(gfx::TPoint{1, 9}));
  for (gfx::TPoint edge :
       {gfx::TPoint{0, 5}, gfx::TPoint{10, 5}, gfx::TPoint{5, 0}, gfx::TPoint{5, 10}})
    EXPECT_FALSE(r.Intersects(edge)) << edge.X << "," << edge.Y;
}

TEST(CtrlArea, SizesMoveTheFarEdgesAndParentsShiftTheRectangle) {
  TCtrlArea area("Close");
  EXPECT_TRUE(area.caVisible);
  area.caLeft = 100;
  area.caTop = 50;
  area.WidthHeight(16, 12);
  EXPECT_EQ(area.AsRect(), (gfx::TRect{100, 50, 116, 62}));
  area.caLeft = 104;  // the width reads from the edges
  EXPECT_EQ(area.caWidth(), 12);
  EXPECT_EQ(area.AsRectParent({100, 40}), (gfx::TRect{4, 10, 16, 22}));
}

TEST(MouseState, PressedComparesTheButtonOrRequiresEveryKey) {
  TMouseState state;
  state.msButton = platform::TMouseButton::mbRight;
  state.msShift.Bits = platform::TShiftState::ssShift | platform::TShiftState::ssCtrl;
  EXPECT_TRUE(state.Pressed(platform::TMouseButton::mbRight));
  EXPECT_FALSE(state.Pressed(platform::TMouseButton::mbLeft));
  EXPECT_TRUE(state.Pressed(platform::TShiftState{platform::TShiftState::ssCtrl}));
  EXPECT_FALSE(state.Pressed(
      platform::TShiftState{platform::TShiftState::ssCtrl | platform::TShiftState::ssAlt}));
  EXPECT_FALSE(state.Pressed(platform::TShiftState{}));
}
