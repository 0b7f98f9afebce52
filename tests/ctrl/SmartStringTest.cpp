#include <gtest/gtest.h>

#include "config/NV_Convert.h"
#include "ctrl/NV_SmartString.h"

using namespace ctrl;

TEST(SmartString, NumbersConvertLikeParameterValues) {
  struct TCase {
    const char* Text;
    int64_t Want64;
  };
  const TCase good[] = {{" 42", 42},
                        {"-7", -7},
                        {"$FF", 255},
                        {"0x10", 16},
                        {"9223372036854775807", INT64_MAX},
                        {"-9223372036854775808", INT64_MIN},
                        {"$FFFFFFFFFFFFFFFF", -1}};
  for (const TCase& c : good) {
    TSmartString s{c.Text};
    EXPECT_EQ(s.Number64(), c.Want64) << c.Text;
  }
  TSmartString small{"$FF"};
  EXPECT_EQ(small.Number(), 255);
  for (const char* bad : {"", "12 ", "1.5", "9223372036854775808", "abc"}) {
    TSmartString s{bad};
    EXPECT_THROW(s.Number64(), config::EConvertError) << bad;
  }
  try {
    TSmartString{"abc"}.Number64();
    FAIL() << "no error";
  } catch (const config::EConvertError& e) {
    EXPECT_STREQ(e.what(), "''abc'' is not a valid integer value");
  }
  TSmartString big;
  big.Number64(5000000000);
  EXPECT_EQ(big.Text(), "5000000000");
  EXPECT_THROW(big.Number(), config::EConvertError);  // beyond 32 bits
}

TEST(SmartString, LengthCountsCharacters) {
  TSmartString s{"Größe"};
  EXPECT_EQ(s.Length(), 5);
  EXPECT_EQ(s.Text().size(), 7u);
}
