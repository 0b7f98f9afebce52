// Helpers shared by the text parsers' fuzz targets: how an input is cut into parts, and an
// independent strict check of UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

[[noreturn]] inline void Broken() { __builtin_trap(); }

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut at its first Count - 1 NUL bytes into Count parts; missing parts are empty.
inline std::vector<std::string> Parts(std::string_view input, size_t count) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (parts.size() + 1 < count) {
    size_t nul = input.find('\0', start);
    if (nul == std::string_view::npos) break;
    parts.emplace_back(input.substr(start, nul - start));
    start = nul + 1;
  }
  parts.emplace_back(input.substr(start));
  parts.resize(count);
  return parts;
}

// The length of the well-formed UTF-8 sequence at the start of Text, 0 when there is none:
// no overlong forms, no surrogates, nothing past U+10FFFF.
inline size_t Utf8SequenceLength(std::string_view text) {
  if (text.empty()) return 0;
  const unsigned char lead = static_cast<unsigned char>(text[0]);
  const size_t length = lead < 0x80           ? 1
                        : (lead >> 5) == 0x6  ? 2
                        : (lead >> 4) == 0xE  ? 3
                        : (lead >> 3) == 0x1E ? 4
                                              : 0;
  if (length == 0 || length > text.size()) return 0;
  uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[k]);
    if ((next & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (next & 0x3F);
  }
  static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0;
  return length;
}

inline bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t length = Utf8SequenceLength(text.substr(i));
    if (length == 0) return false;
    i += length;
  }
  return true;
}

}  // namespace fuzz
