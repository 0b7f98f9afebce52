#include "config/NV_Format.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <random>

#include "base/Ascii.h"
#include "config/NV_LocaleManager.h"
#include "gfx/Text.h"

namespace config {

namespace {

constexpr double kUnixEpoch = 25569.0;  // 1970-01-01 in TDateTime days
constexpr double kMsPerDay = 86400000.0;

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yearOfEra = y - era * 400;
  int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// Rounds Numerator / 100 to the nearest integer, ties to even, saturated to 32 bits.
int RoundHundredths(__int128 numerator) {
  __int128 quotient = numerator / 100, remainder = numerator % 100;
  if (remainder < 0) {  // make the remainder non-negative so that ties compare one way
    remainder += 100;
    quotient -= 1;
  }
  if (remainder > 50 || (remainder == 50 && (quotient & 1))) quotient += 1;
  if (quotient > INT32_MAX) return INT32_MAX;
  if (quotient < INT32_MIN) return INT32_MIN;
  return int(quotient);
}

std::string FormatHundredths(int64_t hundredths, std::string_view separator) {
  std::string text = std::to_string(hundredths / 100);
  int fraction = int(hundredths % 100);
  if (fraction != 0) {
    text += separator;
    text += char('0' + fraction / 10);
    if (fraction % 10) text += char('0' + fraction % 10);
  }
  return text;
}

}  // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int ms) {
  double days = double(DaysFromCivil(year, month, day)) + kUnixEpoch;
  return days + ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 / kMsPerDay + ms / kMsPerDay;
}

TDateTime FileTimeToLocal(int64_t seconds, int64_t nanoseconds) {
  seconds += nanoseconds / 1000000000;
  nanoseconds %= 1000000000;
  if (nanoseconds < 0) {
    nanoseconds += 1000000000;
    seconds -= 1;
  }
  time_t t = time_t(seconds);
  struct tm local {};
  if (!localtime_r(&t, &local)) return kUnixEpoch + double(seconds) * 1000.0 / kMsPerDay;
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec, int(nanoseconds / 1000000));
}

TDateTime Now() {
  auto since = std::chrono::system_clock::now().time_since_epoch();
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
  return FileTimeToLocal(ns / 1000000000, ns % 1000000000);
}

std::string LocaleDecimalSeparator() {
  static const std::string separator = [] {
    std::string result = ".";
    if (locale_t user = newlocale(LC_NUMERIC_MASK, "", locale_t(nullptr))) {
      const char* radix = nl_langinfo_l(RADIXCHAR, user);
      if (radix && *radix) result = radix;
      freelocale(user);
    }
    return result;
  }();
  return separator;
}

std::string FormatFileSize(int64_t size) { return FormatFileSize(size, LocaleDecimalSeparator()); }

std::string FormatFileSize(int64_t size, std::string_view decimalSeparator) {
  if (size <= 0) return "0 bytes";
  static constexpr struct {
    int64_t Unit;
    std::string_view Name;
  } kUnits[] = {{1073741824, " GB"}, {1048576, " MB"}, {1024, " KB"}};
  for (const auto& unit : kUnits) {
    if (size > unit.Unit) {
      // Hundredths of the unit, rounded half away from zero as number formats do.
      __int128 scaled = __int128(size) * 100;
      int64_t hundredths = int64_t((scaled + unit.Unit / 2) / unit.Unit);
      return FormatHundredths(hundredths, decimalSeparator) + std::string(unit.Name);
    }
  }
  return std::to_string(size) + " bytes";
}

std::string DayText(TDateTime when) { return DayText(when, Now()); }

std::string DayText(TDateTime when, TDateTime now) {
  static constexpr std::string_view kKeys[] = {"Sanday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
  static constexpr std::string_view kEnglish[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
  double day = std::floor(when);
  if (day == std::floor(now)) return Localized("DaysOfWeek", "Today", "Today");
  // Day 0, 1899-12-30, was a Saturday.
  int weekday = int(std::fmod(std::fmod(day + 6, 7) + 7, 7));
  return Localized("DaysOfWeek", kKeys[weekday], kEnglish[weekday]);
}

std::string ShortTimeText(TDateTime when) {
  const double fraction = when - std::floor(when);
  const int minutes = std::min(int(std::lround(fraction * 24 * 60)), 24 * 60 - 1);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
  return text;
}

std::string RandomDigits() {
  static std::mutex lock;
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> digit(0, 9);
  std::string digits(5, '0');
  std::lock_guard<std::mutex> guard(lock);
  for (char& c : digits) c = char('0' + digit(generator));
  return digits;
}

int TextWidthOf(std::string_view text, const gfx::TFont32* font) {
  return font ? gfx::TextWidth(*font, text) : 0;
}
int TextHeightOf(std::string_view text, const gfx::TFont32* font) {
  return font ? gfx::TextHeight(*font, text) : 0;
}

int RectHeight(const gfx::TRect& rect) {
  int height = rect.Height();
  return height < 0 ? 1 : height;
}

int RectWidth(const gfx::TRect& rect) {
  int width = rect.Width();
  return width < 0 ? 1 : width;
}

int ScalePercent(int a, int b, int c) {
  if (c == 0) return 0;
  int64_t percent = int64_t(a) * 100 / c;  // truncated toward zero
  return RoundHundredths(__int128(percent) * b);
}

int ScaleByPercent(int a, int b, int c) {
  if (b <= 0) return a;
  int64_t percent = (a < 0 ? -int64_t(a) : int64_t(a)) * 100 / b;
  return RoundHundredths(__int128(percent) * c);
}

bool TextInList(std::string_view text, const std::vector<std::string>& values) {
  for (const std::string& value : values)
    if (base::SameTextAscii(value, text)) return true;
  return false;
}

int IndexOfText(const std::vector<std::string>& values, std::string_view text, int notFound) {
  for (size_t i = 0; i < values.size(); ++i)
    if (values[i] == text) return int(i);
  return notFound;
}

}  // namespace config
