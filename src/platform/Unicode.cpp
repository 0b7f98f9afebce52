#include "platform/Unicode.h"

#include <glib.h>

#include <algorithm>
#include <iterator>

namespace platform {

namespace {

// Invalid bytes (and NUL) become private-use characters U+F700 + byte before collation: GLib
// needs valid UTF-8, and unlike one replacement character for every stray byte these keep
// "caf\xE9" and "caf\xE8" apart wherever the locale orders private-use characters at all.
constexpr gunichar kStrayByteBase = 0xF700;

bool IsAscii(char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

void AppendStrayByte(std::string& out, unsigned char byte) {
  char encoded[6];
  const int length = g_unichar_to_utf8(kStrayByteBase + byte, encoded);
  out.append(encoded, size_t(length));
}

// The name as valid UTF-8 without NUL; returns the name itself when it already is.
std::string_view ValidUtf8(std::string_view name, std::string& storage) {
  const char* validEnd = nullptr;
  if (g_utf8_validate_len(name.data(), name.size(), &validEnd)) return name;
  storage.clear();
  storage.reserve(name.size() + 8);
  const char* p = name.data();
  const char* end = p + name.size();
  while (p < end) {
    g_utf8_validate_len(p, size_t(end - p), &validEnd);
    storage.append(p, size_t(validEnd - p));
    p = validEnd;
    if (p < end) AppendStrayByte(storage, static_cast<unsigned char>(*p++));
  }
  return storage;
}

std::string CollationKeyForFileName(std::string_view validUtf8) {
  gchar* key = g_utf8_collate_key_for_filename(validUtf8.data(), gssize(validUtf8.size()));
  std::string result = key ? key : "";
  g_free(key);
  return result;
}

// Appends the case folding of text; a stray byte (or NUL) stands for itself.
void AppendCaseFolded(std::string& out, std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* validEnd = nullptr;
    g_utf8_validate_len(p, size_t(end - p), &validEnd);
    if (validEnd > p) {
      gchar* folded = g_utf8_casefold(p, validEnd - p);
      out += folded;
      g_free(folded);
      p = validEnd;
    }
    if (p < end) out += *p++;
  }
}

int Sign(int value) { return (value > 0) - (value < 0); }

}  // namespace

std::string CaseFold(std::string_view utf8) {
  std::string result;
  result.reserve(utf8.size());
  AppendCaseFolded(result, utf8);
  return result;
}

std::string FoldForSearch(std::string_view text) {
  // Case folding maps each character on its own and no UTF-8 sequence contains an ASCII byte, so
  // ASCII runs fold here and only the runs between them need GLib.
  std::string result(text);
  size_t asciiLength = 0;
  for (char& c : result) {
    if (!IsAscii(c)) break;
    c = LowerAscii(c);
    ++asciiLength;
  }
  if (asciiLength == text.size()) return result;
  result.resize(asciiLength);
  const auto end = text.end();
  for (auto other = text.begin() + std::ptrdiff_t(asciiLength); other != end;) {
    const auto ascii = std::find_if(other, end, IsAscii);
    AppendCaseFolded(result, std::string_view(other, ascii));
    other = std::find_if_not(ascii, end, IsAscii);
    std::transform(ascii, other, std::back_inserter(result), LowerAscii);
  }
  return result;
}

std::string FileNameSortKey(std::string_view name) {
  // Folding before collating makes case count for nothing in every locale (the "C" locale alone
  // would put "B" before "a"); the tie between "B" and "b" is left to the raw bytes.
  std::string storage;
  const std::string folded = FoldForSearch(ValidUtf8(name, storage));
  return CollationKeyForFileName(folded);
}

int CompareFileNames(std::string_view a, std::string_view b) {
  if (a == b) return 0;
  const int byKey = FileNameSortKey(a).compare(FileNameSortKey(b));
  return byKey != 0 ? Sign(byKey) : Sign(a.compare(b));
}

}  // namespace platform
