#include "config/NV_Ini.h"

#include <cstdint>
#include <cstdio>

#include "base/Ascii.h"
#include "base/FileIo.h"

namespace config {

// ---- Lines ------------------------------------------------------------------------------------
// Blanks around names and values are spaces and tabs, nothing else.
namespace {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

// ---- Encodings --------------------------------------------------------------------------------
// UTF-16 text is held as UTF-8 in memory. A lone surrogate is held as its own three-byte form,
// so that even a broken UTF-16 file is written back exactly as it was read.
namespace {

void AppendCodePoint(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  auto unit = [&](size_t i) -> uint32_t {
    uint8_t a = uint8_t(bytes[i]), b = uint8_t(bytes[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  std::string out;
  out.reserve(bytes.size());
  size_t count = bytes.size() / 2;
  for (size_t k = 0; k < count; ++k) {
    uint32_t u = unit(2 * k);
    if (u >= 0xD800 && u < 0xDC00 && k + 1 < count) {
      uint32_t low = unit(2 * (k + 1));
      if (low >= 0xDC00 && low < 0xE000) {
        AppendCodePoint(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++k;
        continue;
      }
    }
    AppendCodePoint(out, u);
  }
  return out;
}

// The next code point of Text at Pos (surrogates included); U+FFFD for a malformed byte, which
// is skipped alone.
uint32_t NextCodePoint(std::string_view text, size_t& pos) {
  uint8_t lead = uint8_t(text[pos]);
  size_t length = lead < 0x80           ? 1
                  : (lead >> 5) == 0x6  ? 2
                  : (lead >> 4) == 0xE  ? 3
                  : (lead >> 3) == 0x1E ? 4
                                        : 0;
  if (length == 0 || pos + length > text.size()) {
    ++pos;
    return 0xFFFD;
  }
  uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    uint8_t next = uint8_t(text[pos + i]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    cp = cp << 6 | (next & 0x3F);
  }
  static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[length] || cp > 0x10FFFF) {
    ++pos;
    return 0xFFFD;
  }
  pos += length;
  return cp;
}

std::string EncodeUtf16(std::string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  auto put = [&](uint32_t u) {
    char hi = char(u >> 8), lo = char(u & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  };
  for (size_t pos = 0; pos < text.size();) {
    uint32_t cp = NextCodePoint(text, pos);
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEBom = "\xFF\xFE";
constexpr std::string_view kUtf16BEBom = "\xFE\xFF";

// ---- Lines ------------------------------------------------------------------------------------
enum class TLineKind { lkOther, lkSection, lkKey };

struct TLineInfo {
  TLineKind Kind = TLineKind::lkOther;
  std::string_view Name;   // section or key name, trimmed
  std::string_view Value;  // trimmed
  size_t ValueStart = 0;   // where the value begins: after "=" and the blanks that follow it
};

TLineInfo ParseLine(std::string_view line) {
  TLineInfo info;
  std::string_view trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed[0] == ';') return info;
  if (trimmed[0] == '[') {
    size_t close = trimmed.find(']');
    info.Kind = TLineKind::lkSection;
    info.Name = TrimBlanks(
        trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    return info;
  }
  size_t equals = line.find('=');
  if (equals == std::string_view::npos) return info;
  info.Name = TrimBlanks(line.substr(0, equals));
  if (info.Name.empty()) return info;
  info.Kind = TLineKind::lkKey;
  info.ValueStart = equals + 1;
  while (info.ValueStart < line.size() && IsBlank(line[info.ValueStart])) ++info.ValueStart;
  info.Value = TrimBlanks(line.substr(info.ValueStart));
  return info;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// ---- Files ------------------------------------------------------------------------------------
// A settings file is text a person edits; one this large is no settings file and is left alone.
constexpr int64_t kMaxIniBytes = int64_t{64} << 20;

}  // namespace

// ---- TIniFile ---------------------------------------------------------------------------------
struct TIniFile::TKeyLine {
  size_t Line;
  size_t ValueStart;
  std::string Value;
};

TIniFile TIniFile::FromBytes(std::string_view bytes) {
  TIniFile ini;
  std::string text;
  if (bytes.starts_with(kUtf8Bom)) {
    ini.FEncoding = TTextEncoding::teUtf8Bom;
    text = bytes.substr(kUtf8Bom.size());
  } else if (bytes.starts_with(kUtf16LEBom) || bytes.starts_with(kUtf16BEBom)) {
    bool bigEndian = bytes.starts_with(kUtf16BEBom);
    ini.FEncoding = bigEndian ? TTextEncoding::teUtf16BE : TTextEncoding::teUtf16LE;
    std::string_view body = bytes.substr(2);
    if (body.size() % 2) ini.FTail = body.substr(body.size() - 1);
    text = DecodeUtf16(body.substr(0, body.size() - ini.FTail.size()), bigEndian);
  } else {
    text = bytes;
  }
  bool eolSeen = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t newline = text.find('\n', start);
    TLine line;
    if (newline == std::string::npos) {
      line.Text = text.substr(start);
      start = text.size();
    } else {
      size_t end = newline > start && text[newline - 1] == '\r' ? newline - 1 : newline;
      line.Text = text.substr(start, end - start);
      line.Eol = text.substr(end, newline + 1 - end);
      start = newline + 1;
      if (!eolSeen) ini.FEol = line.Eol;
      eolSeen = true;
    }
    ini.FLines.push_back(std::move(line));
  }
  return ini;
}

std::string TIniFile::ToBytes() const {
  std::string text;
  for (const TLine& line : FLines) (text += line.Text) += line.Eol;
  switch (FEncoding) {
    case TTextEncoding::teUtf8:
      return text;
    case TTextEncoding::teUtf8Bom:
      return std::string(kUtf8Bom) + text;
    case TTextEncoding::teUtf16LE:
      return std::string(kUtf16LEBom) + EncodeUtf16(text, false) + FTail;
    case TTextEncoding::teUtf16BE:
      return std::string(kUtf16BEBom) + EncodeUtf16(text, true) + FTail;
  }
  return text;
}

std::optional<TIniFile::TKeyLine> TIniFile::FindKey(std::string_view section,
                                                    std::string_view key) const {
  section = TrimBlanks(section);  // names are compared as the file shows them: trimmed
  key = TrimBlanks(key);
  bool inSection = false;
  for (size_t i = 0; i < FLines.size(); ++i) {
    TLineInfo info = ParseLine(FLines[i].Text);
    if (info.Kind == TLineKind::lkSection)
      inSection = base::SameTextAscii(info.Name, section);
    else if (info.Kind == TLineKind::lkKey && inSection && base::SameTextAscii(info.Name, key))
      return TKeyLine{i, info.ValueStart, std::string(info.Value)};
  }
  return std::nullopt;
}

std::optional<std::string> TIniFile::ReadValue(std::string_view section,
                                               std::string_view key) const {
  std::optional<TKeyLine> found = FindKey(section, key);
  if (!found) return std::nullopt;
  return std::move(found->Value);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
  std::optional<std::string> value = ReadValue(section, key);
  return value ? *value : std::string(def);
}

std::vector<TIniEntry> TIniFile::Entries() const {
  std::vector<TIniEntry> entries;
  std::optional<std::string> section;
  for (const TLine& line : FLines) {
    TLineInfo info = ParseLine(line.Text);
    if (info.Kind == TLineKind::lkSection)
      section = std::string(info.Name);
    else if (info.Kind == TLineKind::lkKey && section)
      entries.push_back({*section, std::string(info.Name), std::string(info.Value)});
  }
  return entries;
}

void TIniFile::EraseSection(std::string_view section) {
  std::vector<TLine> kept;
  kept.reserve(FLines.size());
  bool inSection = false;
  for (TLine& line : FLines) {
    const TLineInfo info = ParseLine(line.Text);
    if (info.Kind == TLineKind::lkSection) inSection = base::SameTextAscii(info.Name, section);
    if (!inSection) kept.push_back(std::move(line));
  }
  FLines = std::move(kept);
}

bool TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  section = TrimBlanks(section);
  std::string_view trimmedKey = TrimBlanks(key);
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
      section.find(']') != std::string_view::npos || trimmedKey.empty() ||
      key.find('=') != std::string_view::npos || trimmedKey[0] == '[' || trimmedKey[0] == ';')
    return false;

  if (std::optional<TKeyLine> found = FindKey(section, key)) {
    std::string& text = FLines[found->Line].Text;
    text = text.substr(0, found->ValueStart) + std::string(value);
    return true;
  }

  std::vector<TLine> added;
  size_t insertAt = FLines.size();
  bool sectionFound = false;
  for (size_t i = 0; i < FLines.size(); ++i) {
    TLineInfo info = ParseLine(FLines[i].Text);
    if (info.Kind == TLineKind::lkSection) {
      if (sectionFound) break;  // the end of the first section of that name
      if (base::SameTextAscii(info.Name, section)) {
        sectionFound = true;
        insertAt = i + 1;
      }
    } else if (info.Kind == TLineKind::lkKey && sectionFound) {
      insertAt = i + 1;  // after the section's last key, before the blank lines that close it
    }
  }
  if (!sectionFound) added.push_back({"[" + std::string(section) + "]", FEol});
  added.push_back({std::string(trimmedKey) + "=" + std::string(value), FEol});
  if (insertAt == FLines.size() && !FLines.empty() && FLines.back().Eol.empty())
    FLines.back().Eol = FEol;
  FLines.insert(FLines.begin() + std::ptrdiff_t(insertAt), added.begin(), added.end());
  return true;
}

// ---- Files ------------------------------------------------------------------------------------
std::optional<TIniFile> LoadIniFile(const std::string& path) {
  std::string bytes;
  if (!base::ReadWholeFile(path, bytes, kMaxIniBytes)) return std::nullopt;
  return TIniFile::FromBytes(bytes);
}

std::string IniReadString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view def) {
  std::optional<TIniFile> ini = LoadIniFile(path);
  return ini ? ini->ReadString(section, key, def) : std::string(def);
}

bool IniWriteString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value, TIniCreate create) {
  std::string bytes;
  const base::TReadResult read = base::ReadWholeFile(path, bytes, kMaxIniBytes);
  const bool missing = read.Error == base::TReadError::reNotFound;
  if (!read && (!missing || create == TIniCreate::icNever)) return false;  // unreadable, or missing
  TIniFile ini = missing ? TIniFile() : TIniFile::FromBytes(bytes);
  if (!ini.WriteString(section, key, value)) return false;
  std::string written = ini.ToBytes();
  if (!missing && written == bytes) return true;  // the value was there already
  return bool(base::WriteFileAtomically(path, written));
}

}  // namespace config
