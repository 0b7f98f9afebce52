// Arbitrary theme values into the readers of resize parameters, fonts, work areas and
// rectangles. Reading never crashes (a malformed number raises EConvertError and nothing else);
// and values set the way a theme editor stores them read back as they were set: items into any
// text, items inside items into any text whose brackets nest properly.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <string>
#include <utility>

#include "FuzzText.h"
#include "config/NV_Convert.h"
#include "config/NV_Entries.h"

namespace {

using config::TParamString;
using config::TResizeMode;

template <typename F>
void Quietly(F read) {
  try {
    read();
  } catch (const config::EConvertError&) {
    // a malformed number is the one error a read may raise
  }
}

constexpr std::array<std::string_view, 4> kSides{"Left", "Top", "Right", "Bottom"};

// Every bracket closes, the last one opened first. Only in such a text do items inside items
// keep their places when one is set: in 'A((B[' the "[" that closes B's value is plain text
// to A, and ends up inside it.
bool NestsProperly(std::string_view text) {
  std::string open;
  for (char c : text) {
    if (c == '(' || c == '[') {
      open += c;
    } else if (c == ')' || c == ']') {
      if (open.empty() || open.back() != (c == ')' ? '(' : '[')) return false;
      open.pop_back();
    }
  }
  return open.empty();
}

void CheckResizeParams(FuzzedDataProvider& input, const std::string& text) {
  // The words of the drawing modes, as the theme format names them.
  static constexpr std::pair<std::string_view, TResizeMode> kModes[] = {
      {"none", TResizeMode::rmNone},          {"full", TResizeMode::rmFull},
      {"stretch", TResizeMode::rmStretch},    {"stretchprop", TResizeMode::rmStretchProp},
      {"horiz", TResizeMode::rmHorizontal},   {"vert", TResizeMode::rmVertical}};
  const auto& [word, mode] = kModes[input.ConsumeIntegralInRange<size_t>(0, std::size(kModes) - 1)];
  std::array<int, 4> margins{}, offsets{};
  TParamString ps{text};
  ps.SetParam("DrawMode", word);
  for (size_t side = 0; side < 4; ++side) {
    margins[side] = input.ConsumeIntegral<int>();
    offsets[side] = input.ConsumeIntegral<int>();
    ps.SetSubParam("Margins", kSides[side], margins[side]);
    ps.SetSubParam("DrawOffset", kSides[side], offsets[side]);
  }
  if (!NestsProperly(text)) return;
  config::TResizeParams params;
  config::ReadResizeParams(ps.PS_STRING, params);
  const config::TResizeParams expected{mode,  margins[1], margins[3], margins[0], margins[2],
                                       offsets[0], offsets[1], offsets[2], offsets[3]};
  if (!(params == expected)) fuzz::Broken();
}

void CheckWorkArea(FuzzedDataProvider& input, const std::string& text) {
  std::array<int, 4> set{};
  TParamString ps{text};
  for (size_t side = 0; side < 4; ++side) {
    set[side] = input.ConsumeIntegral<int>();
    ps.SetSubParam("WorkArea", kSides[side], set[side]);
  }
  if (!NestsProperly(text)) return;
  std::array<int, 4> read{};
  config::ReadWorkArea(ps.PS_STRING, read[0], read[1], read[2], read[3]);
  if (read != set) fuzz::Broken();
}

void CheckRect(FuzzedDataProvider& input, const std::string& text) {
  TParamString ps{text};
  const gfx::TRect set = gfx::Rect(input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
                                   input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>());
  ps.SetParam("Left", set.Left);
  ps.SetParam("Top", set.Top);
  ps.SetParam("Right", set.Right);
  ps.SetParam("Bottom", set.Bottom);
  gfx::TRect read;
  config::ReadRectEntry(ps.PS_STRING, read);
  if (!(read == set)) fuzz::Broken();
}

// The name is set last: every set turns the ",," of the whole text into ", ".
void CheckFont(FuzzedDataProvider& input, const std::string& text) {
  gfx::TFont32 set;
  set.Size = input.ConsumeIntegral<int>();
  set.Color = input.ConsumeIntegral<gfx::TColor>();
  set.Bold = input.ConsumeBool();
  set.Italic = input.ConsumeBool();
  set.Name = input.ConsumeRandomLengthString(40);
  TParamString ps{text};
  ps.SetParam("Size", set.Size);
  ps.SetParam("Color", int(set.Color));
  ps.SetParam("Bold", set.Bold);
  ps.SetParam("Italic", set.Italic);
  ps.SetParam("Name", set.Name);
  gfx::TFont32 read;
  read.Name = "Fallback";
  config::ApplyFontSpec(read, ps.PS_STRING);
  // A name with brackets or without text reads as something else; the rest reads back.
  const bool plainName = !set.Name.empty() && set.Name != " " &&
                         set.Name.find_first_of("()") == std::string::npos;
  if (!plainName) read.Name = set.Name;
  if (!(read == set)) fuzz::Broken();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  // Numbers first, then the text they are set into: the rest of the input.
  std::vector<uint8_t> numbers = input.ConsumeBytes<uint8_t>(64);
  const std::string text = input.ConsumeRemainingBytesAsString();

  config::TResizeParams params;
  Quietly([&] { config::ReadResizeParams(text, params); });
  gfx::TFont32 font;
  Quietly([&] { config::ApplyFontSpec(font, text); });
  int l, t, r, b;
  Quietly([&] { config::ReadWorkArea(text, l, t, r, b); });
  gfx::TRect rect;
  Quietly([&] { config::ReadRectEntry(text, rect); });

  FuzzedDataProvider values(numbers.data(), numbers.size());
  CheckResizeParams(values, text);
  CheckWorkArea(values, text);
  CheckRect(values, text);
  CheckFont(values, text);
  return 0;
}
