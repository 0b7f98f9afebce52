#include "config/NV_ParamString.h"

#include <algorithm>

#include "base/Ascii.h"
#include "config/NV_Convert.h"
#include "config/NV_Ini.h"
#include "config/NV_PathMacros.h"
#include "platform/Fs.h"

namespace config {

namespace {

struct TBrackets {
  char Open;
  char Close;
};

TBrackets BracketsOf(TParamDelimiter delimiter) {
  return delimiter == pdSquare ? TBrackets{'[', ']'} : TBrackets{'(', ')'};
}

// Letters, digits and dots make names; bytes of non-ASCII letters count as name characters too,
// so a name is never found at the end of a longer one.
bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool KeyAt(std::string_view text, size_t pos, std::string_view id, char open, bool caseSensitive) {
  if (text.size() - pos < id.size() + 1 || text[pos + id.size()] != open) return false;
  const std::string_view key = text.substr(pos, id.size());
  return caseSensitive ? key == id : base::SameTextAscii(key, id);
}

// The matching closing bracket of the value that starts at Start; npos when the text ends first.
size_t ClosingBracket(std::string_view text, size_t start, TBrackets brackets) {
  int depth = 0;
  for (size_t i = start; i < text.size(); ++i) {
    if (text[i] == brackets.Open) {
      ++depth;
    } else if (text[i] == brackets.Close) {
      if (depth == 0) return i;
      --depth;
    }
  }
  return std::string_view::npos;
}

// The value that starts at Start: up to its closing bracket or, when the text ends first, up to
// the end of the text.
std::string_view ValueAt(std::string_view text, size_t start, TBrackets brackets) {
  size_t close = ClosingBracket(text, start, brackets);
  if (close != std::string_view::npos) return text.substr(start, close - start);
  return text.substr(std::min(start, text.size()));
}

// How many values are still open at the end of the text, counted the way the locator counts.
size_t OpenAtEnd(std::string_view text, TBrackets brackets) {
  size_t depth = 0;
  for (char c : text) {
    if (c == brackets.Open)
      ++depth;
    else if (c == brackets.Close && depth > 0)
      --depth;
  }
  return depth;
}

std::string Extract(std::string_view text, std::string_view paramID, std::string_view def,
                    TParamDelimiter delimiter) {
  std::optional<TParamItem> item = LocateParam(text, paramID, delimiter);
  if (!item) return std::string(def);
  std::string_view value = ValueAt(text, item->ValueStart, BracketsOf(delimiter));
  if (value.empty() || value == " ") return std::string(def);
  return std::string(value);
}

std::string ReplaceAllDoubleCommas(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ',' && i + 1 < text.size() && text[i + 1] == ',') {
      result += ", ";
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

std::string IntDefault(int def) { return IntToStr(def); }
std::string BoolDefault(bool def) { return def ? "-1" : "0"; }

}  // namespace

std::string NormalizeDoubleCommas(std::string_view text) { return ReplaceAllDoubleCommas(text); }

std::optional<TParamItem> LocateParam(std::string_view text, std::string_view paramID,
                                      TParamDelimiter delimiter, bool caseSensitive) {
  TBrackets brackets = BracketsOf(delimiter);
  int depth = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (depth == 0 && (i == 0 || !IsNameChar(text[i - 1])) &&
        KeyAt(text, i, paramID, brackets.Open, caseSensitive))
      return TParamItem{i, i + paramID.size() + 1};
    if (text[i] == brackets.Open)
      ++depth;
    else if (text[i] == brackets.Close && depth > 0)
      --depth;
  }
  return std::nullopt;
}

std::string ReplaceParam(std::string_view text, std::string_view paramID, std::string_view value,
                         TParamDelimiter delimiter, bool deleteWhenEmpty) {
  TBrackets brackets = BracketsOf(delimiter);
  std::string result(text);
  std::optional<TParamItem> item = LocateParam(text, paramID, delimiter);
  bool remove = deleteWhenEmpty && value.empty();
  if (!item) {
    if (remove) return result;
    // Values left open would swallow the new item: they end where the text ended.
    result.append(OpenAtEnd(result, brackets), brackets.Close);
    if (!result.empty()) result += ',';
    result += ' ';
    result += paramID;
    result += brackets.Open;
    result += value;
    result += brackets.Close;
    return result;
  }
  size_t close = ClosingBracket(result, item->ValueStart, brackets);
  if (close == std::string::npos) {
    // The value runs to the end of the text; the new one gets its closing bracket.
    if (remove)
      result.erase(item->NameStart);
    else
      (result.erase(item->ValueStart) += value) += brackets.Close;
    return result;
  }
  if (remove)
    result.erase(item->NameStart, close + 1 - item->NameStart);
  else
    result.replace(item->ValueStart, close - item->ValueStart, value);
  return result;
}

void TParamString::Clear() {
  PS_STRING.clear();
  FIniPrefix.clear();
}

bool TParamString::ParamExists(std::string_view paramID) const {
  return LocateParam(PS_STRING, paramID, pdRound, true).has_value();
}

std::string TParamString::GetParam(std::string_view paramID, std::string_view def,
                                   TParamDelimiter delimiter) const {
  return Extract(PS_STRING, paramID, def, delimiter);
}

int TParamString::GetParam(std::string_view paramID, int def, TParamDelimiter delimiter) const {
  return StrToInt(Extract(PS_STRING, paramID, IntDefault(def), delimiter));
}

bool TParamString::GetParam(std::string_view paramID, bool def, TParamDelimiter delimiter) const {
  return StrToBool(Extract(PS_STRING, paramID, BoolDefault(def), delimiter));
}

std::string TParamString::GetSubParam(std::string_view paramID, std::string_view subParamID,
                                      std::string_view def, TParamDelimiter delimiter,
                                      TParamDelimiter subDelimiter) const {
  std::string outer = Extract(PS_STRING, paramID, def, delimiter);
  return Extract(outer, subParamID, def, subDelimiter);
}

int TParamString::GetSubParam(std::string_view paramID, std::string_view subParamID, int def,
                              TParamDelimiter delimiter, TParamDelimiter subDelimiter) const {
  return StrToInt(
      GetSubParam(paramID, subParamID, std::string_view(IntDefault(def)), delimiter, subDelimiter));
}

bool TParamString::GetSubParam(std::string_view paramID, std::string_view subParamID, bool def,
                               TParamDelimiter delimiter, TParamDelimiter subDelimiter) const {
  return StrToBool(GetSubParam(paramID, subParamID, std::string_view(BoolDefault(def)), delimiter,
                               subDelimiter));
}

std::string TParamString::SetParam(std::string_view paramID, std::string_view value,
                                   TParamDelimiter) {
  PS_STRING = ReplaceParam(ReplaceAllDoubleCommas(PS_STRING), paramID, value, pdRound, true);
  return PS_STRING;
}

std::string TParamString::SetParam(std::string_view paramID, int value, TParamDelimiter delimiter) {
  return SetParam(paramID, std::string_view(IntToStr(value)), delimiter);
}

std::string TParamString::SetParam(std::string_view paramID, bool value,
                                   TParamDelimiter delimiter) {
  return SetParam(paramID, std::string_view(BoolToStr(value)), delimiter);
}

std::string TParamString::SetSubParam(std::string_view paramID, std::string_view subParamID,
                                      std::string_view value, TParamDelimiter delimiter,
                                      TParamDelimiter subDelimiter) {
  std::string text = ReplaceAllDoubleCommas(PS_STRING);
  std::optional<TParamItem> item = LocateParam(text, paramID, delimiter);
  std::string outer =
      item ? std::string(ValueAt(text, item->ValueStart, BracketsOf(delimiter))) : std::string();
  std::string inner =
      ReplaceParam(ReplaceAllDoubleCommas(outer), subParamID, value, subDelimiter, true);
  PS_STRING = ReplaceParam(text, paramID, inner, delimiter, true);
  return PS_STRING;
}

std::string TParamString::SetSubParam(std::string_view paramID, std::string_view subParamID,
                                      int value, TParamDelimiter delimiter,
                                      TParamDelimiter subDelimiter) {
  return SetSubParam(paramID, subParamID, std::string_view(IntToStr(value)), delimiter,
                     subDelimiter);
}

std::string TParamString::SetSubParam(std::string_view paramID, std::string_view subParamID,
                                      bool value, TParamDelimiter delimiter,
                                      TParamDelimiter subDelimiter) {
  return SetSubParam(paramID, subParamID, std::string_view(BoolToStr(value)), delimiter,
                     subDelimiter);
}

bool TParamString::LoadFromIni(std::string_view path, std::string_view section,
                               std::string_view ident, std::string_view def) {
  std::string file = ResolvePath(path);
  if (!platform::Fs::FileExists(file)) return false;
  std::string value = IniReadString(file, section, ident, def);
  FIniPrefix = std::string(ident) + " = ";
  PS_STRING = FIniPrefix + value;
  return value != def;
}

bool TParamString::SaveToIni(std::string_view path, std::string_view section,
                             std::string_view ident) const {
  std::string file = ResolvePath(path);
  if (!platform::Fs::FileExists(file)) return false;
  std::string_view value = PS_STRING;
  if (!FIniPrefix.empty() && value.starts_with(FIniPrefix)) value.remove_prefix(FIniPrefix.size());
  return IniWriteString(file, section, ident, value);
}

bool TParamString::SaveToIni(std::string_view path, std::string_view section,
                             std::string_view ident, std::string_view paramID,
                             std::string_view value) {
  std::string file = ResolvePath(path);
  if (!platform::Fs::FileExists(file)) return false;
  PS_STRING = IniReadString(file, section, ident, "");
  FIniPrefix.clear();
  SetParam(paramID, value);
  return IniWriteString(file, section, ident, PS_STRING);
}

bool TParamString::SaveToIni(std::string_view path, std::string_view section,
                             std::string_view ident, std::string_view paramID, int value) {
  return SaveToIni(path, section, ident, paramID, std::string_view(IntToStr(value)));
}

bool TParamString::SaveToIni(std::string_view path, std::string_view section,
                             std::string_view ident, std::string_view paramID, bool value) {
  return SaveToIni(path, section, ident, paramID, std::string_view(BoolToStr(value)));
}

}  // namespace config
