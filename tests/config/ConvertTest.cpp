#include <gtest/gtest.h>

#include "config/NV_Convert.h"

namespace config {
namespace {

TEST(Convert, IntegersInEveryWrittenForm) {
  struct Case {
    const char* Text;
    int Value;
  } cases[] = {{"0", 0},
               {"  42", 42},
               {"+7", 7},
               {"-13", -13},
               {"$0000FF", 255},
               {"xff", 255},
               {"X10", 16},
               {"0x1F", 31},
               {"0XaB", 171},
               {"-$10", -16},
               {"$FFFFFFFF", -1},
               {"2147483647", 2147483647},
               {"-2147483648", INT32_MIN},
               {"007", 7}};
  for (const Case& c : cases) {
    int value = 12345;
    EXPECT_TRUE(TryStrToInt(c.Text, value)) << c.Text;
    EXPECT_EQ(value, c.Value) << c.Text;
  }
}

TEST(Convert, IntegersRejected) {
  for (const char* text : {"", " ", "-", "+", "$", "0x", "12 ", "1a", "abc", "2147483648",
                           "-2147483649", "$100000000", "1.5", "--1", "\t1"}) {
    int value = 0;
    EXPECT_FALSE(TryStrToInt(text, value)) << '"' << text << '"';
  }
}

TEST(Convert, ErrorMessagesAreTheSystemTexts) {
  try {
    StrToInt("abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "''abc'' is not a valid integer value");
  }
  try {
    StrToBool("yes");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'yes' is not a valid boolean value");
  }
}

TEST(Convert, TruthValues) {
  struct Case {
    const char* Text;
    bool Value;
  } cases[] = {{"1", true},      {"-1", true},  {"2", true},    {"0", false}, {"TRUE", true},
               {"false", false}, {"0.5", true}, {"0.0", false}, {" 1", true}, {"1e3", true}};
  for (const Case& c : cases) EXPECT_EQ(StrToBool(c.Text), c.Value) << c.Text;
  for (const char* text : {"yes", "", "True ", ".", "e5", "1e", "on"}) {
    bool value = false;
    EXPECT_FALSE(TryStrToBool(text, value)) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace config
