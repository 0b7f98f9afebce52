// Parameter strings: a flat text of named values such as 'Name(Calibri), Size(11), Bold(1)',
// the form of nearly every configurable value (settings, theme data, bar and menu items).
//
// Reading finds an item by its name followed by the opening bracket; names compare without
// regard to case for A-Z only. The locator sees an item only as a whole name ("Size" is not
// found in 'FontSize(12)') and only at the top level of the text ('P1' is not found inside
// 'CMD(/a/P1(x))'); the first such item wins. Brackets of the same kind nest, the other kind is
// plain text; a value whose bracket never closes ends at the end of the text. Values come back
// exactly as stored; an empty or one-blank value reads as the default. The separators between
// items are never parsed.
//
// A TParamString is a plain value; each thread works on its own copy.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace config {

enum class TParamDelimiter { pdRound, pdSquare };  // "(" ")" and "[" "]"
using enum TParamDelimiter;

// How a theme picture is fitted into its place; the "DrawMode" words "none", "full",
// "stretch", "stretchprop", "horiz" and "vert" name them.
enum class TResizeMode { rmNone, rmFull, rmStretch, rmStretchProp, rmHorizontal, rmVertical };

struct TResizeParams {
  TResizeMode ResizeType = TResizeMode::rmNone;
  int MarginTop = 0;
  int MarginBottom = 0;
  int MarginLeft = 0;
  int MarginRight = 0;
  int OffsetLeft = 0;
  int OffsetTop = 0;
  int OffsetRight = 0;
  int OffsetBottom = 0;
  friend bool operator==(const TResizeParams&, const TResizeParams&) = default;
};

// Where the locator found an item: the first character of its name and of its value.
struct TParamItem {
  size_t NameStart = 0;
  size_t ValueStart = 0;
};

// The one locator of items, for reading and writing alike. CaseSensitive makes the name
// compare exactly (only ParamExists asks for that).
std::optional<TParamItem> LocateParam(std::string_view text, std::string_view paramID,
                                      TParamDelimiter delimiter, bool caseSensitive = false);

// Text with the value of item ParamID replaced by Value, or the item appended as
// ', ParamID(Value)' (' ParamID(Value)' on an empty text) when there is none. The value ends
// at the matching closing bracket, or at the end of the text, which then gets the missing
// bracket after Value. Values still open at the end of the text are closed there before an item
// is appended, so that the item is found again. When DeleteWhenEmpty is set, an empty Value
// removes the item, from its name through its closing bracket (or the end of the text), and
// appends nothing. Nothing else of the text changes.
std::string ReplaceParam(std::string_view text, std::string_view paramID, std::string_view value,
                         TParamDelimiter delimiter, bool deleteWhenEmpty);

// Text with every ",," turned into ", ", as SetParam does to the text before it changes it.
std::string NormalizeDoubleCommas(std::string_view text);

class TParamString {
 public:
  std::string PS_STRING;  // the whole text; empty means no parameters

  TParamString() = default;
  explicit TParamString(std::string text) : PS_STRING(std::move(text)) {}

  bool Empty() const { return PS_STRING.empty(); }
  void Clear();
  // ParamID followed by "(" names an item, with the name compared exactly.
  bool ParamExists(std::string_view paramID) const;

  // The value of the first item named ParamID, or Default when it is missing, empty or one
  // blank. Numbers and truth values convert with StrToInt and StrToBool (EConvertError).
  std::string GetParam(std::string_view paramID, std::string_view def,
                       TParamDelimiter delimiter = pdRound) const;
  std::string GetParam(std::string_view paramID, const char* def,
                       TParamDelimiter delimiter = pdRound) const {
    return GetParam(paramID, std::string_view(def), delimiter);
  }
  int GetParam(std::string_view paramID, int def, TParamDelimiter delimiter = pdRound) const;
  bool GetParam(std::string_view paramID, bool def, TParamDelimiter delimiter = pdRound) const;

  // The item SubParamID inside the value of item ParamID: 'Margins(Left[4], Top[4])'.
  std::string GetSubParam(std::string_view paramID, std::string_view subParamID,
                          std::string_view def, TParamDelimiter delimiter = pdRound,
                          TParamDelimiter subDelimiter = pdSquare) const;
  std::string GetSubParam(std::string_view paramID, std::string_view subParamID, const char* def,
                          TParamDelimiter delimiter = pdRound,
                          TParamDelimiter subDelimiter = pdSquare) const {
    return GetSubParam(paramID, subParamID, std::string_view(def), delimiter, subDelimiter);
  }
  int GetSubParam(std::string_view paramID, std::string_view subParamID, int def,
                  TParamDelimiter delimiter = pdRound,
                  TParamDelimiter subDelimiter = pdSquare) const;
  bool GetSubParam(std::string_view paramID, std::string_view subParamID, bool def,
                   TParamDelimiter delimiter = pdRound,
                   TParamDelimiter subDelimiter = pdSquare) const;

  // Replaces, appends or (empty value) removes item ParamID, always with parentheses, after
  // turning every ",," into ", ". Returns the new text. Numbers are stored in decimal, truth
  // values as "1" or "0".
  std::string SetParam(std::string_view paramID, std::string_view value,
                       TParamDelimiter delimiter = pdRound);
  std::string SetParam(std::string_view paramID, const char* value,
                       TParamDelimiter delimiter = pdRound) {
    return SetParam(paramID, std::string_view(value), delimiter);
  }
  std::string SetParam(std::string_view paramID, int value, TParamDelimiter delimiter = pdRound);
  std::string SetParam(std::string_view paramID, bool value, TParamDelimiter delimiter = pdRound);

  // Sets item SubParamID inside the value of item ParamID the way SetParam sets an item (with
  // SubDelimiter's brackets inside), making the outer item when it is missing. Returns the new
  // text.
  std::string SetSubParam(std::string_view paramID, std::string_view subParamID,
                          std::string_view value, TParamDelimiter delimiter = pdRound,
                          TParamDelimiter subDelimiter = pdSquare);
  std::string SetSubParam(std::string_view paramID, std::string_view subParamID, const char* value,
                          TParamDelimiter delimiter = pdRound,
                          TParamDelimiter subDelimiter = pdSquare) {
    return SetSubParam(paramID, subParamID, std::string_view(value), delimiter, subDelimiter);
  }
  std::string SetSubParam(std::string_view paramID, std::string_view subParamID, int value,
                          TParamDelimiter delimiter = pdRound,
                          TParamDelimiter subDelimiter = pdSquare);
  std::string SetSubParam(std::string_view paramID, std::string_view subParamID, bool value,
                          TParamDelimiter delimiter = pdRound,
                          TParamDelimiter subDelimiter = pdSquare);

  // Settings files. Paths may hold path macros. LoadFromIni leaves 'Ident = value' in
  // PS_STRING (Default when the key is missing) and returns whether the value differs from
  // Default; without a file it returns false and changes nothing.
  bool LoadFromIni(std::string_view path, std::string_view section, std::string_view ident,
                   std::string_view def);
  // Writes PS_STRING as the value of Ident; the 'Ident = ' that LoadFromIni put in front is
  // left out, so a value loaded, changed and saved does not grow. False without a file: a
  // settings file is never created here.
  bool SaveToIni(std::string_view path, std::string_view section, std::string_view ident) const;
  // Reads the stored value of Ident into PS_STRING, sets one item in it and writes it back.
  bool SaveToIni(std::string_view path, std::string_view section, std::string_view ident,
                 std::string_view paramID, std::string_view value);
  bool SaveToIni(std::string_view path, std::string_view section, std::string_view ident,
                 std::string_view paramID, const char* value) {
    return SaveToIni(path, section, ident, paramID, std::string_view(value));
  }
  bool SaveToIni(std::string_view path, std::string_view section, std::string_view ident,
                 std::string_view paramID, int value);
  bool SaveToIni(std::string_view path, std::string_view section, std::string_view ident,
                 std::string_view paramID, bool value);

 private:
  std::string FIniPrefix;  // the 'Ident = ' LoadFromIni put in front of PS_STRING
};

}  // namespace config
