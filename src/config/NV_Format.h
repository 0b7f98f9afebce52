// Display texts of numbers, sizes and days, identifier digits, text extents, percent scaling
// and string list look-ups. Every function may be called from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/Font.h"
#include "gfx/Geometry.h"

namespace config {

// A local date and time: whole days since 1899-12-30, the time of day as the fraction.
using TDateTime = double;

TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int ms = 0);
TDateTime Now();
// A file time stamp (seconds and nanoseconds since 1970-01-01 UTC, as the file system gives
// them) as local time, to the millisecond.
TDateTime FileTimeToLocal(int64_t seconds, int64_t nanoseconds = 0);

// Up to two decimals, no thousands separator: "1024 bytes", "1.5 KB", "3 GB"; "0 bytes" for
// sizes of 0 and below. Each unit starts strictly above the one before it.
std::string FormatFileSize(int64_t size);
std::string FormatFileSize(int64_t size, std::string_view decimalSeparator);
// The decimal separator of the user's locale ("." when it gives none).
std::string LocaleDecimalSeparator();

// "Today" when When falls on Now's date, otherwise its weekday, translated (section
// "DaysOfWeek", the English text as key and default; Sunday's key is "Sanday").
std::string DayText(TDateTime when);
std::string DayText(TDateTime when, TDateTime now);

// The time of day of When as hours and minutes, "09:05".
std::string ShortTimeText(TDateTime when);

// Five random decimal digits, from one generator seeded once for the process.
std::string RandomDigits();

// The extent of Text in Font; 0 without a font.
int TextWidthOf(std::string_view text, const gfx::TFont32* font);
int TextHeightOf(std::string_view text, const gfx::TFont32* font);

// Bottom - Top and Right - Left; a negative size is 1.
int RectHeight(const gfx::TRect& rect);
int RectWidth(const gfx::TRect& rect);

// A/C as a whole percentage applied to B, rounded to the nearest integer (ties to even); 0 when
// C is 0.
int ScalePercent(int a, int b, int c);
// |A|/B as a whole percentage applied to C, rounded likewise; A when B <= 0.
int ScaleByPercent(int a, int b, int c);

// One of Values equals Text without regard to case (A-Z).
bool TextInList(std::string_view text, const std::vector<std::string>& values);
// The index of the first value equal to Text, or NotFound.
int IndexOfText(const std::vector<std::string>& values, std::string_view text, int notFound);

}  // namespace config
