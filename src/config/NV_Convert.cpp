#include "config/NV_Convert.h"

#include <cstdint>

#include "base/Ascii.h"

namespace config {

namespace {

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < base ? value : -1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal fraction such as "0.5", "-.25" or "1e3", after optional leading blanks. Only
// whether it is zero matters to the truth-value conversion.
bool TryDecimalNumber(std::string_view text, bool& nonZero) {
  size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false;
  nonZero = false;
  auto mantissa = [&] {
    for (; i < n && IsDigit(text[i]); ++i) {
      digits = true;
      nonZero = nonZero || text[i] != '0';
    }
  };
  mantissa();
  if (i < n && text[i] == '.') {
    ++i;
    mantissa();
  }
  if (!digits) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t start = i;
    while (i < n && IsDigit(text[i])) ++i;
    if (i == start) return false;
  }
  return i == n;
}

}  // namespace

namespace {

// The integer forms both widths read: leading blanks, a sign, then decimal digits, or
// hexadecimal ones after "$", "x", "X", "0x" or "0X" that spell the bit pattern. False when
// the text is no such number or does not fit Bits bits.
bool ParseInteger(std::string_view text, int bits, uint64_t& pattern) {
  size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == n) return false;
  const uint64_t top = uint64_t(1) << (bits - 1);  // 2^(bits-1)
  const uint64_t limit = base == 16 ? top - 1 + top : negative ? top : top - 1;
  uint64_t magnitude = 0;
  for (; i < n; ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) return false;
    if (magnitude > (limit - uint64_t(digit)) / uint64_t(base)) return false;
    magnitude = magnitude * uint64_t(base) + uint64_t(digit);
  }
  pattern = negative ? 0 - magnitude : magnitude;
  return true;
}

}  // namespace

bool TryStrToInt(std::string_view text, int& value) {
  uint64_t pattern = 0;
  if (!ParseInteger(text, 32, pattern)) return false;
  value = int32_t(uint32_t(pattern));
  return true;
}

bool TryStrToInt64(std::string_view text, int64_t& value) {
  uint64_t pattern = 0;
  if (!ParseInteger(text, 64, pattern)) return false;
  value = int64_t(pattern);
  return true;
}

int StrToInt(std::string_view text) {
  int value = 0;
  if (!TryStrToInt(text, value))
    throw EConvertError("''" + std::string(text) + "'' is not a valid integer value");
  return value;
}

int64_t StrToInt64(std::string_view text) {
  int64_t value = 0;
  if (!TryStrToInt64(text, value))
    throw EConvertError("''" + std::string(text) + "'' is not a valid integer value");
  return value;
}

bool TryStrToBool(std::string_view text, bool& value) {
  int number = 0;
  bool nonZero = false;
  if (TryStrToInt(text, number))
    value = number != 0;
  else if (TryDecimalNumber(text, nonZero))
    value = nonZero;
  else if (base::SameTextAscii(text, "True"))
    value = true;
  else if (base::SameTextAscii(text, "False"))
    value = false;
  else
    return false;
  return true;
}

bool StrToBool(std::string_view text) {
  bool value = false;
  if (!TryStrToBool(text, value))
    throw EConvertError("'" + std::string(text) + "' is not a valid boolean value");
  return value;
}

std::string IntToStr(int value) { return std::to_string(value); }

}  // namespace config
