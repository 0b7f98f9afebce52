#include <gtest/gtest.h>

#include "base/Ascii.h"

namespace {

TEST(AsciiTest, OnlyAToZPairUp) {
  EXPECT_TRUE(base::SameTextAscii("Theming", "tHEMING"));
  EXPECT_TRUE(base::SameTextAscii("", ""));
  EXPECT_FALSE(base::SameTextAscii("abc", "abcd"));
  // "@" and "`" sit just before "A" and "a"; "[" and "{" just after "Z" and "z".
  EXPECT_FALSE(base::SameTextAscii("@[", "`{"));
  // The bytes of UTF-8 letters keep their case: "É" (C3 89) is not "é" (C3 A9).
  EXPECT_FALSE(base::SameTextAscii("\xC3\x89", "\xC3\xA9"));
  EXPECT_EQ(base::AsciiLowerCase("AbZ@[\xC3\x89"), "abz@[\xC3\x89");
  EXPECT_EQ(base::AsciiUpperCase("aBz`{\xC3\xA9"), "ABZ`{\xC3\xA9");
  EXPECT_TRUE(base::StartsWithTextAscii("ControlTheme:\\x", "controltheme:"));
  EXPECT_FALSE(base::StartsWithTextAscii("Con", "Control"));
}

TEST(AsciiTest, LessIgnoresCaseAndSortsUtf8AfterAscii) {
  EXPECT_TRUE(base::LessTextAscii("apple", "Banana"));
  EXPECT_TRUE(base::LessTextAscii("Zebra", "\xC3\xA9t\xC3\xA9"));  // unsigned bytes
  EXPECT_TRUE(base::LessTextAscii("ab", "ABC"));
  EXPECT_FALSE(base::LessTextAscii("ABC", "abc"));
  EXPECT_FALSE(base::LessTextAscii("abc", "ABC"));
  // "_" (5F) lies between "Z" (5A) and "a" (61): lower-casing first puts it before letters.
  EXPECT_TRUE(base::LessTextAscii("_x", "Ax"));
}

}  // namespace
