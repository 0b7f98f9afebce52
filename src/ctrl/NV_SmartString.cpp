#include "ctrl/NV_SmartString.h"

#include "config/NV_Convert.h"
#include "gfx/Text.h"

namespace ctrl {

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

// The 64-bit form of the integer conversion: leading blanks, a sign, then decimal digits or
// hexadecimal ones after "$", "x", "X", "0x" or "0X" (which spell the 64-bit pattern).
bool TryStrToInt64(std::string_view text, int64_t& value) {
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
  const uint64_t limit = base == 16 ? UINT64_MAX
                         : negative ? uint64_t(INT64_MAX) + 1
                                    : uint64_t(INT64_MAX);
  uint64_t magnitude = 0;
  for (; i < n; ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) return false;
    if (magnitude > (limit - uint64_t(digit)) / uint64_t(base)) return false;
    magnitude = magnitude * uint64_t(base) + uint64_t(digit);
  }
  value = int64_t(negative ? 0 - magnitude : magnitude);
  return true;
}

}  // namespace

int32_t TSmartString::Number() const { return config::StrToInt(SS_TEXT); }

int64_t TSmartString::Number64() const {
  int64_t value = 0;
  if (!TryStrToInt64(SS_TEXT, value))
    throw config::EConvertError("''" + SS_TEXT + "'' is not a valid integer value");
  return value;
}

int TSmartString::Length() const { return int(gfx::CodePointCount(SS_TEXT)); }

int TSmartString::Width(const gfx::TFont32& font) const { return gfx::TextWidth(font, SS_TEXT); }

int TSmartString::Height(const gfx::TFont32& font) const { return gfx::TextHeight(font, SS_TEXT); }

}  // namespace ctrl
