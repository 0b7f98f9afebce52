#include <gtest/gtest.h>

#include "config/NV_Convert.h"
#include "config/NV_ParamString.h"

namespace config {
namespace {

struct TGetCase {
  const char* Text;
  const char* Id;
  const char* Default;
  const char* Expected;
};

TEST(ParamString, GetStringValue) {
  const TGetCase cases[] = {
      {"Left(0), Top(0), Right(0), Bottom(0)", "Top", "5", "0"},
      {"Left(0), Top(0), Right(0), Bottom(0)", "Width", "5", "5"},
      {"font(Name(Calibri), Size(11))", "Font", "", "Name(Calibri), Size(11)"},  // case and nesting
      {"Size()", "Size", "d", "d"},
      {"Size( )", "Size", "d", "d"},  // one blank is no value
      {"Size(  )", "Size", "d", "  "},
      {"Size( 7)", "Size", "d", " 7"},          // returned exactly as stored
      {"Name(Calibri", "Name", "d", "Calibri"},  // a value never closed ends with the text
      {"Name(C", "Name", "d", "C"},
      {"Name(", "Name", "d", "d"},          // ends right after the opening bracket
      {"A(x[1]), B(2)", "A", "d", "x[1]"},  // the other bracket kind is plain text
      {"Caption(a)b)", "Caption", "d", "a"},
      {"Ünï(1), ünï(2)", "Ünï", "d", "1"},  // only A-Z fold: "Ü" and "ü" differ
      {"ünï(2), Ünï(1)", "Ünï", "d", "1"},
      // The locator: whole names only, at the top level only, the first such item wins.
      {"FontSize(12), Size(11)", "Size", "0", "11"},
      {"FontSize(12)", "Size", "0", "0"},
      {"CMD(/a/P1(x)), P1(2)", "P1", "0", "2"},
      {"CMD(P1(x))", "P1", "0", "0"},
      {"X(1), x(2)", "X", "0", "1"},
      {"Item.Size(3), Size(4)", "Size", "0", "4"},  // a dot belongs to the name
      {"a_Size(5)", "Size", "0", "5"},              // "_" does not
      {"Image(Background) = DrawMode(stretch)", "DrawMode", "full", "stretch"},
      {"), Size(6)", "Size", "0", "6"},  // a stray closing bracket does not lower the level below 0
  };
  for (const TGetCase& c : cases) {
    TParamString ps{c.Text};
    EXPECT_EQ(ps.GetParam(c.Id, c.Default), c.Expected) << c.Text << " / " << c.Id;
  }
}

TEST(ParamString, GetTypedValues) {
  EXPECT_EQ(TParamString("Size( 7)").GetParam("Size", 0), 7);
  EXPECT_EQ(TParamString("Color($0000FF)").GetParam("Color", 0), 255);
  EXPECT_EQ(TParamString("Size( )").GetParam("Size", 9), 9);
  EXPECT_TRUE(TParamString("Bold(-1)").GetParam("Bold", false));
  EXPECT_TRUE(TParamString("Bold(true)").GetParam("Bold", false));
  EXPECT_FALSE(TParamString("Bold(0)").GetParam("Bold", true));
  EXPECT_TRUE(TParamString("").GetParam("Bold", true));
  EXPECT_FALSE(TParamString("").GetParam("Bold", false));
  EXPECT_THROW(TParamString("Bold(yes)").GetParam("Bold", false), EConvertError);
  EXPECT_THROW(TParamString("Size(12px)").GetParam("Size", 0), EConvertError);
  // A malformed value is an error only where it is read.
  EXPECT_EQ(TParamString("Size(12px), Left(3)").GetParam("Left", 0), 3);
}

TEST(ParamString, SubParams) {
  TParamString ps{"Margins(Left[3], Top[4]), WorkArea(Top[9])"};
  EXPECT_EQ(ps.GetSubParam("Margins", "Top", 2, pdRound, pdSquare), 4);
  EXPECT_EQ(ps.GetSubParam("Margins", "Right", 2, pdRound, pdSquare), 2);
  EXPECT_EQ(ps.GetSubParam("DrawOffset", "Left", 2), 2);  // a missing outer item gives the default
  EXPECT_EQ(ps.GetSubParam("Margins", "Left", "x"), "3");
  EXPECT_EQ(TParamString("Margins(Left[x])").GetSubParam("Margins", "Right", 1), 1);
  EXPECT_THROW(TParamString("Margins(Left[x])").GetSubParam("Margins", "Left", 1), EConvertError);
}

TEST(ParamString, ParamExistsComparesExactly) {
  TParamString ps{"FontSize(1), Bold(1), Cmd(Inner(2))"};
  EXPECT_TRUE(ps.ParamExists("Bold"));
  EXPECT_FALSE(ps.ParamExists("bold"));
  EXPECT_FALSE(ps.ParamExists("Size"));   // whole names, like every read
  EXPECT_FALSE(ps.ParamExists("Inner"));  // top level only
}

struct TSetCase {
  const char* Text;
  const char* Id;
  const char* Value;
  const char* Expected;
};

TEST(ParamString, SetParam) {
  const TSetCase cases[] = {
      {"Name(Arial), Size(10)", "Size", "12", "Name(Arial), Size(12)"},
      {"", "Size", "12", " Size(12)"},
      {"Name(Arial)", "Size", "12", "Name(Arial), Size(12)"},
      {"Name(Arial), Size(10), Bold(1)", "Size", "", "Name(Arial), , Bold(1)"},
      {"Name(Arial)", "Size", "", "Name(Arial)"},
      {"A(1),,B(2)", "C", "", "A(1), B(2)"},  // ",," becomes ", " even when nothing else changes
      {"size(1)", "Size", "2", "size(2)"},
      {"Font(Name(A), Size(1)), X(0)", "Font", "Name(B)",
       "Font(Name(B)), X(0)"},                           // nesting counted
      {"Name(Calibri", "Name", "Arial", "Name(Arial)"},  // the value ran to the end of the text
      {"Name(Calibri", "Name", "", ""},
      {"A(1), Name(", "Name", "X", "A(1), Name(X)"},  // ends right after the bracket
      {"A(1), Name(", "Name", "", "A(1), "},
      // Whole names at the top level, for writing too.
      {"FontSize(12)", "Size", "3", "FontSize(12), Size(3)"},
      {"CMD(/a/P1(x)), P1(2)", "P1", "5", "CMD(/a/P1(x)), P1(5)"},
      // "=" stays, in other values and in the item set.
      {"CMD(a=b), X(1)", "X", "2", "CMD(a=b), X(2)"},
      {"CMD(app), Args(x)", "Args", "--mode=fast", "CMD(app), Args(--mode=fast)"},
  };
  for (const TSetCase& c : cases) {
    TParamString ps{c.Text};
    EXPECT_EQ(ps.SetParam(c.Id, c.Value), c.Expected) << c.Text << " / " << c.Id;
    EXPECT_EQ(ps.PS_STRING, c.Expected);
  }
}

// A value whose bracket never closes ends at the end of the text: setting an item closes it
// there, so the set value reads back and setting it again changes nothing.
TEST(ParamString, AValueNeverClosedEndsAtTheEndOfTheText) {
  struct TCase {
    const char* Text;
    const char* Id;
    const char* Value;
    const char* Expected;
  } cases[] = {
      {"Name(x", "Size", "5", "Name(x), Size(5)"},
      {"Name(x, Size(5)", "Size", "7", "Name(x, Size(5)), Size(7)"},  // Size(5) is inside Name
      {"A(1), Name(x, B(2)", "B", "3", "A(1), Name(x, B(2)), B(3)"},    // open in the middle
      {"Cmd(run(a, X(1)", "X", "2", "Cmd(run(a, X(1))), X(2)"},        // two levels open
      {"A(1), Name(x, B(2)", "Name", "y", "A(1), Name(y)"},
      {"A(1), Name(x, B(2)", "Name", "", "A(1), "},
      {"A(1), Name(", "Name", "z", "A(1), Name(z)"},
      {"Tip([x), Size(1)", "Size", "4", "Tip([x), Size(4)"},  // square brackets are plain text
  };
  for (const TCase& c : cases) {
    TParamString ps{c.Text};
    EXPECT_EQ(ps.SetParam(c.Id, c.Value), c.Expected) << c.Text << " / " << c.Id;
    if (*c.Value) {
      EXPECT_EQ(ps.GetParam(c.Id, "?"), c.Value) << c.Text;
    }
    for (int again = 0; again < 3; ++again) ps.SetParam(c.Id, c.Value);
    EXPECT_EQ(ps.PS_STRING, c.Expected) << c.Text << " grew";
  }
  TParamString sub{"Margins(Left[3, Top[4]"};
  sub.SetSubParam("Margins", "Top", 8);
  sub.SetSubParam("Margins", "Top", 8);
  EXPECT_EQ(sub.PS_STRING, "Margins(Left[3, Top[4]], Top[8])");
  EXPECT_EQ(sub.GetSubParam("Margins", "Top", 0), 8);
}

TEST(ParamString, SetTypedValuesAndReadThemBack) {
  TParamString ps{"Color($0000FF)"};
  ps.SetParam("Color", 255);
  EXPECT_EQ(ps.PS_STRING, "Color(255)");
  ps.SetParam("Bold", true);
  ps.SetParam("Italic", false);
  EXPECT_EQ(ps.PS_STRING, "Color(255), Bold(1), Italic(0)");
  EXPECT_TRUE(ps.GetParam("Bold", false));
  ps.SetParam("Size", -3, pdSquare);  // SetParam always uses parentheses
  EXPECT_EQ(ps.GetParam("Size", 0), -3);
}

TEST(ParamString, SetSubParam) {
  TParamString ps{"Margins(Left[3], Top[4]), X(1)"};
  ps.SetSubParam("Margins", "Top", 8);
  EXPECT_EQ(ps.PS_STRING, "Margins(Left[3], Top[8]), X(1)");
  ps.SetSubParam("WorkArea", "Left", 6);
  EXPECT_EQ(ps.GetSubParam("WorkArea", "Left", 0), 6);
  ps.SetSubParam("Margins", "Left", "");
  EXPECT_EQ(ps.GetSubParam("Margins", "Left", 2), 2);
  EXPECT_EQ(ps.GetSubParam("Margins", "Top", 2), 8);
}

TEST(ParamString, EmptyAndClear) {
  TParamString ps;
  EXPECT_TRUE(ps.Empty());
  ps.SetParam("A", "1");
  EXPECT_FALSE(ps.Empty());
  ps.Clear();
  EXPECT_TRUE(ps.Empty());
}

TEST(ParamString, LocatorWithSquareBrackets) {
  // With square brackets, round ones are plain text and only "[" nests.
  EXPECT_EQ(TParamString("X(Top[1]), Top[2]").GetParam("Top", "d", pdSquare), "1");
  EXPECT_EQ(TParamString("Cmd[Top[1]], Top[2]").GetParam("Top", "d", pdSquare), "2");
}

}  // namespace
}  // namespace config
