// Small text holders: a text that converts to and from numbers and measures itself in a font,
// and a label with its value (the select tip's two lines).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gfx/Font.h"

namespace ctrl {

struct TSmartString {
  std::string SS_TEXT;

  const std::string& Text() const { return SS_TEXT; }
  void Text(std::string_view value) { SS_TEXT = value; }
  // Reading converts as parameter values do and raises config::EConvertError on a bad number.
  int32_t Number() const;
  void Number(int32_t value) { SS_TEXT = std::to_string(value); }
  int64_t Number64() const;
  void Number64(int64_t value) { SS_TEXT = std::to_string(value); }
  // In characters (code points), not bytes.
  int Length() const;
  int Width(const gfx::TFont32& font) const;
  int Height(const gfx::TFont32& font) const;
};

struct TValueString {
  TSmartString VS_PARAM;  // the label
  TSmartString VS_VALUE;

  void SetParameter(std::string_view text) { VS_PARAM.Text(text); }
  void SetParameter(int32_t number) { VS_PARAM.Number(number); }
  void SetValue(std::string_view text) { VS_VALUE.Text(text); }
  void SetValue(int32_t number) { VS_VALUE.Number(number); }
  void SetValue(int64_t number) { VS_VALUE.Number64(number); }
};

}  // namespace ctrl
