#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "AppFolderFixture.h"
#include "config/NV_Format.h"
#include "config/NV_LocaleManager.h"
#include "gfx/Text.h"

namespace config {
namespace {

TEST(Format, FileSize) {
  struct Case {
    int64_t Size;
    const char* Text;
  } cases[] = {
      {0, "0 bytes"},
      {-5, "0 bytes"},
      {1, "1 bytes"},
      {1024, "1024 bytes"},  // each unit starts strictly above the last
      {1025, "1 KB"},
      {1536, "1,5 KB"},
      {1048576, "1024 KB"},
      {1048577, "1 MB"},
      {3221225472, "3 GB"},
      {1073741824, "1024 MB"},
      {3200, "3,13 KB"},
      {1234567, "1,18 MB"},  // up to two decimals, rounded
      {2047, "2 KB"},
      {1126, "1,1 KB"},  // no trailing zero
      {INT64_MAX, "8589934592 GB"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFileSize(c.Size, ","), c.Text) << c.Size;
  EXPECT_EQ(FormatFileSize(1536), "1" + LocaleDecimalSeparator() + "5 KB");
}

TEST(Format, DateTimes) {
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30), 0.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(1970, 1, 1, 12), 25569.5);
  EXPECT_DOUBLE_EQ(EncodeDateTime(2000, 1, 1, 6, 0, 0, 0), 36526.25);

  // A file time in a zone two hours east of UTC, milliseconds kept.
  std::string oldZone = getenv("TZ") ? getenv("TZ") : "";
  bool hadZone = getenv("TZ") != nullptr;
  setenv("TZ", "<+02>-2", 1);
  tzset();
  TDateTime local = FileTimeToLocal(951782400, 250'400'000);  // 2000-02-29 00:00:00.2504 UTC
  if (hadZone)
    setenv("TZ", oldZone.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
  EXPECT_NEAR(local, EncodeDateTime(2000, 2, 29, 2, 0, 0, 250), 1e-9);
}

TEST(Format, DayTextWithoutLanguage) {
  TDateTime now = EncodeDateTime(2024, 5, 15, 13, 30);  // a Wednesday
  EXPECT_EQ(DayText(EncodeDateTime(2024, 5, 15, 0, 5), now), "Today");
  EXPECT_EQ(DayText(EncodeDateTime(2024, 5, 8, 13, 30), now), "Wednesday");  // seven days ago
  EXPECT_EQ(DayText(EncodeDateTime(2024, 5, 12), now), "Sunday");
  EXPECT_EQ(DayText(EncodeDateTime(2024, 5, 11, 23, 59), now), "Saturday");
  EXPECT_EQ(DayText(EncodeDateTime(1899, 12, 29), now), "Friday");  // before day 0
  EXPECT_EQ(DayText(Now()), "Today");
}

using DayTextLanguage = testing::AppFolderTest;

TEST_F(DayTextLanguage, LooksUpTheSystemKeys) {
  WriteFile("Data/Language/English.NVL", "[DaysOfWeek]\nSanday=Sonntag\nToday=Heute\n");
  TLocaleManager language;
  SetLocaleManager(&language);
  TDateTime now = EncodeDateTime(2024, 5, 15, 13, 30);
  EXPECT_EQ(DayText(EncodeDateTime(2024, 5, 12), now), "Sonntag");  // the key stays "Sanday"
  EXPECT_EQ(DayText(now, now), "Heute");
  EXPECT_EQ(DayText(EncodeDateTime(2024, 5, 13), now), "Monday");
  SetLocaleManager(nullptr);
}

TEST(Format, RandomDigits) {
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    std::string digits = RandomDigits();
    ASSERT_EQ(digits.size(), 5u);
    for (char c : digits) ASSERT_TRUE(c >= '0' && c <= '9') << digits;
    seen.insert(digits);
  }
  EXPECT_GT(seen.size(), 190u);  // not reseeded from the clock on each call
}

TEST(FormatThreads, RandomDigitsFromManyThreads) {
  std::vector<std::thread> threads;
  std::vector<std::set<std::string>> results(4);
  for (auto& result : results)
    threads.emplace_back([&result] {
      for (int i = 0; i < 500; ++i) result.insert(RandomDigits());
    });
  for (auto& thread : threads) thread.join();
  for (const auto& result : results) EXPECT_GT(result.size(), 480u);
}

TEST(Format, Rectangles) {
  EXPECT_EQ(RectHeight(gfx::Rect(0, 10, 0, 4)), 1);
  EXPECT_EQ(RectHeight(gfx::Rect(0, 0, 0, 0)), 0);
  EXPECT_EQ(RectHeight(gfx::Rect(0, 3, 0, 10)), 7);
  EXPECT_EQ(RectWidth(gfx::Rect(10, 0, 4, 0)), 1);
  EXPECT_EQ(RectWidth(gfx::Rect(-5, 0, 5, 0)), 10);
}

TEST(Format, Percentages) {
  struct Case {
    int A, B, C, Expected;
  };
  // ScalePercent: Trunc(A * 100 / C) percent of B, ties to even.
  const Case percent[] = {
      {1, 200, 3, 66}, {5, 7, 0, 0}, {1, 1, 2, 0},
      {3, 1, 2, 2},    {5, 1, 2, 2}, {-1, 1, 2, 0},
      {-3, 1, 2, -2},  {2, 3, 3, 2}, {INT32_MAX, INT32_MAX, 1, INT32_MAX},
  };
  for (const Case& c : percent)
    EXPECT_EQ(ScalePercent(c.A, c.B, c.C), c.Expected) << c.A << " " << c.B << " " << c.C;
  // ScaleByPercent: Trunc(|A| * 100 / B) percent of C; A itself when B <= 0.
  const Case byPercent[] = {
      {-7, 0, 5, -7},  {-7, -1, 5, -7}, {-50, 100, 30, 15},
      {1, 3, 150, 50}, {1, 2, 5, 2},    {3, 2, 1, 2},
  };
  for (const Case& c : byPercent)
    EXPECT_EQ(ScaleByPercent(c.A, c.B, c.C), c.Expected) << c.A << " " << c.B << " " << c.C;
}

TEST(Format, TextLists) {
  std::vector<std::string> values{"Alpha", "beta", "Ärger"};
  EXPECT_TRUE(TextInList("ALPHA", values));
  EXPECT_TRUE(TextInList("Beta", values));
  EXPECT_FALSE(TextInList("ärger", values));  // A-Z only
  EXPECT_FALSE(TextInList("Alph", values));
  EXPECT_EQ(IndexOfText(values, "beta", -1), 1);
  EXPECT_EQ(IndexOfText(values, "Beta", -1), -1);  // exact
  EXPECT_EQ(IndexOfText({}, "x", 7), 7);
}

TEST(Format, TextExtents) {
  gfx::TFont32 font;
  EXPECT_EQ(TextWidthOf("Norvo", nullptr), 0);
  EXPECT_EQ(TextHeightOf("Norvo", nullptr), 0);
  EXPECT_EQ(TextWidthOf("Norvo", &font), gfx::TextWidth(font, "Norvo"));
  EXPECT_GT(TextWidthOf("Norvo Norvo", &font), TextWidthOf("Norvo", &font));
  EXPECT_GT(TextHeightOf("", &font), 0);
}

}  // namespace
}  // namespace config
