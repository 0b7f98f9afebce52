#include <gtest/gtest.h>

#include "ctrl/NV_CtrlParams.h"

#include <string>

#include "config/NV_ParamString.h"

using namespace ctrl;

TEST(CtrlParams, OnlyPersistentValuesReachTheText) {
  TCtrlParams params;
  EXPECT_EQ(params.SetParam("CMD", "Item.Copy", true), "Item.Copy");
  EXPECT_EQ(params.ToText(), " CMD(Item.Copy)");
  EXPECT_EQ(params.SetParam("ID", "X1", false), "X1");
  EXPECT_EQ(params.ToText(), " CMD(Item.Copy)");
  // Integers and truth values count only once registered with their type.
  params.SetParam("Width", 24, true);
  params.SetParam("Fit", true, true);
  EXPECT_EQ(params.ToText(), " CMD(Item.Copy)");
  params.RegisterParam("Width", ptInteger, {});
  params.RegisterParam("Fit", ptBoolean, {});
  params.RegisterParam("Size", ptInt64, {}).pvInt64Def = 5000000000;
  EXPECT_EQ(params.ToText(), " CMD(Item.Copy), Width(24), Fit(1), Size(5000000000)");
  params.RegisterParam("Caption", ptString, {"a", "b"});  // an empty text is left out
  EXPECT_EQ(params.ToText(), " CMD(Item.Copy), Width(24), Fit(1), Size(5000000000)");
}

TEST(CtrlParams, NamesIgnoreCaseAndTheFirstEntryServes) {
  TCtrlParams params;
  params.SetParam("CMD", "Item.Copy", true);
  TParamValue* found = nullptr;
  ASSERT_TRUE(params.FindParam("cmd", found));
  EXPECT_EQ(found->pvID, "CMD");
  params.SetParam("Cmd", "Item.Cut", true);  // the same entry, keeping its name
  EXPECT_EQ(params.List().size(), 1u);
  EXPECT_EQ(params.ToText(), " CMD(Item.Cut)");
  EXPECT_FALSE(params.FindParam("CMDX", found));
  EXPECT_EQ(found, nullptr);
}

TEST(CtrlParams, GetParamReadsTheAskedSlotAndMakesMissingEntries) {
  TCtrlParams params;
  EXPECT_EQ(params.GetParam("Menu", "TabMenu", false), "TabMenu");
  TParamValue* menu = params.FindParam("Menu");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->pvString, "TabMenu");
  EXPECT_EQ(menu->pvStringDef, "");
  EXPECT_EQ(params.GetParam("Menu", "Other", false), "TabMenu");
  EXPECT_EQ(params.GetParam("Menu", "Other", true), "");

  TParamValue& two = params.SetParam("P1", "now", "saved");
  EXPECT_EQ(&two, params.FindParam("p1"));
  EXPECT_EQ(params.GetParam("P1", "", false), "now");
  EXPECT_EQ(params.GetParam("P1", "", true), "saved");
  params.SetParam("Height", 10, 32);
  EXPECT_EQ(params.GetParam("Height", 0, false), 10);
  EXPECT_EQ(params.GetParam("Height", 0, true), 32);

  EXPECT_TRUE(params.GetParam("Bold", true, true));  // made with both slots "1"
  EXPECT_EQ(params.FindParam("Bold")->pvBooleanDef, "1");
  params.SetParam("Bold", false, false);
  EXPECT_FALSE(params.GetParam("Bold", true, false));
  EXPECT_TRUE(params.GetParam("Bold", false, true));
}

TEST(CtrlParams, TruthTextsAreOneOrZero) {
  EXPECT_TRUE(TCtrlParams::StringToBool("1"));
  for (const char* text : {"0", "", "true", "-1", "2"})
    EXPECT_FALSE(TCtrlParams::StringToBool(text)) << text;
  EXPECT_EQ(TCtrlParams::BoolToString(true), "1");
  EXPECT_EQ(TCtrlParams::BoolToString(false), "0");
}

namespace ctrl {
namespace {

// The saved text is the one that setting each value in turn into a parameter string gives,
// built in one pass however many entries there are.
TEST(CtrlParams, ToTextEqualsSettingEachValueInTurn) {
  const char* values[] = {"Item.Copy", "a,,b", "", "P1(x)", "--mode=fast", "x,,,y", "Name(Calibri), Size(9)"};
  TCtrlParams params;
  config::TParamString expected;
  for (int i = 0; i < 2000; ++i) {
    const std::string id = "P" + std::to_string(i);
    const std::string value = values[i % std::size(values)];
    if (i % 3 == 0) {
      params.RegisterParam(id, ptInteger, {});
      params.SetParam(id, i, true);
      expected.SetParam(id, i);
    } else {
      params.SetParam(id, std::string_view(value), true);
      if (!value.empty()) expected.SetParam(id, std::string_view(value));
    }
  }
  params.SetParam("Last", "1,,2", true);  // the last value keeps its double commas
  expected.SetParam("Last", std::string_view("1,,2"));
  EXPECT_EQ(params.ToText(), expected.PS_STRING);
  EXPECT_EQ(TCtrlParams().ToText(), "");
}

}  // namespace
}  // namespace ctrl
