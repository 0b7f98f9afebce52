// The number and truth-value conversions of parameter values, with the system's error texts.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace config {

// A value that is not a valid number or truth value. The message is the user-facing text.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Leading blanks, an optional "+" or "-", then decimal digits, or hexadecimal digits after "$",
// "x", "X", "0x" or "0X". Hexadecimal spells the 32-bit pattern ("$FFFFFFFF" is -1); decimal
// must lie within the 32-bit range. Anything else, trailing blanks included, is rejected.
bool TryStrToInt(std::string_view text, int& value);
int StrToInt(std::string_view text);  // throws EConvertError
// The same forms in 64 bits (hexadecimal spells the 64-bit pattern).
bool TryStrToInt64(std::string_view text, int64_t& value);
int64_t StrToInt64(std::string_view text);  // throws EConvertError

// Any number (true when it is not zero, "0.5" included) or "True"/"False" in any case.
bool TryStrToBool(std::string_view text, bool& value);
bool StrToBool(std::string_view text);  // throws EConvertError

std::string IntToStr(int value);
inline std::string BoolToStr(bool value) { return value ? "1" : "0"; }

}  // namespace config
