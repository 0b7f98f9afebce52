// Case rules of the "A-Z only" kind: only the letters A-Z and a-z pair up, every other byte
// (digits, punctuation, the bytes of UTF-8 letters) must match exactly. Settings keys, section
// names and list entries compare this way, so the result never depends on a locale.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace base {

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

inline std::string AsciiLowerCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = AsciiLower(c);
  return result;
}

inline std::string AsciiUpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = AsciiUpper(c);
  return result;
}

constexpr bool SameTextAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

// Text begins with Start, compared as SameTextAscii does.
constexpr bool StartsWithTextAscii(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && SameTextAscii(text.substr(0, start.size()), start);
}

// Orders as if both were lower-cased, bytes compared unsigned (so UTF-8 sorts after ASCII).
// Texts that differ only in case are neither less than the other.
constexpr bool LessTextAscii(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(AsciiLower(x)) < static_cast<unsigned char>(AsciiLower(y));
  });
}

}  // namespace base
