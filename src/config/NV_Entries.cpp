#include "config/NV_Entries.h"

#include "base/Path.h"
#include "config/NV_Convert.h"
#include "config/NV_Ini.h"
#include "config/NV_PathMacros.h"
#include "config/NV_System.h"

namespace config {

std::string ReadSetting(std::string_view section, std::string_view ident, std::string_view def) {
  return IniReadString(ResolvePath("SettingsFile:\\"), section, ident, def);
}

bool WriteIniParam(const std::string& path, std::string_view section, std::string_view ident,
                   std::string_view paramID, std::string_view value) {
  if (!PathExists(base::ParentOf(path), 1)) return false;  // asks the volume first, within its bound
  std::string stored = IniReadString(path, section, ident, "");
  return IniWriteString(path, section, ident, ReplaceParam(stored, paramID, value, pdRound, false),
                        TIniCreate::icInExistingFolder);
}

bool WriteIniParam(const std::string& path, std::string_view section, std::string_view ident,
                   std::string_view paramID, int value) {
  return WriteIniParam(path, section, ident, paramID, std::string_view(IntToStr(value)));
}

bool WriteIniParam(const std::string& path, std::string_view section, std::string_view ident,
                   std::string_view paramID, bool value) {
  return WriteIniParam(path, section, ident, paramID, std::string_view(BoolToStr(value)));
}

void ReadResizeParams(std::string_view text, TResizeParams& params) {
  TParamString ps{std::string(text)};
  static constexpr struct {
    std::string_view Word;
    TResizeMode Mode;
  } kModes[] = {{"full", TResizeMode::rmFull},     {"stretch", TResizeMode::rmStretch},
                {"vert", TResizeMode::rmVertical}, {"horiz", TResizeMode::rmHorizontal},
                {"none", TResizeMode::rmNone},     {"stretchprop", TResizeMode::rmStretchProp}};
  params.ResizeType = TResizeMode::rmNone;
  std::string mode = ps.GetParam("DrawMode", "full");
  for (const auto& known : kModes)
    if (mode == known.Word) params.ResizeType = known.Mode;

  params.MarginLeft = ps.GetSubParam("Margins", "Left", 2);
  params.MarginTop = ps.GetSubParam("Margins", "Top", 2);
  params.MarginRight = ps.GetSubParam("Margins", "Right", 2);
  params.MarginBottom = ps.GetSubParam("Margins", "Bottom", 2);

  // The default offset text holds no square-bracket items, so a missing "DrawOffset" reads 0.
  TParamString offset{ps.GetParam("DrawOffset", "Left(0), Top(0), Right(0), Bottom(0)")};
  params.OffsetLeft = offset.GetParam("Left", 0, pdSquare);
  params.OffsetTop = offset.GetParam("Top", 0, pdSquare);
  params.OffsetRight = offset.GetParam("Right", 0, pdSquare);
  params.OffsetBottom = offset.GetParam("Bottom", 0, pdSquare);
}

void LoadResizeParams(std::string_view path, std::string_view section, std::string_view ident,
                      std::string_view def, TResizeParams& params) {
  TParamString ps;
  ps.LoadFromIni(path, section, ident, def);
  ReadResizeParams(ps.PS_STRING, params);
}

void LoadWorkArea(int& left, int& top, int& right, int& bottom, std::string_view path,
                  std::string_view section, std::string_view ident, std::string_view def) {
  TParamString ps;
  ps.LoadFromIni(path, section, ident, def);
  ReadWorkArea(ps.PS_STRING, left, top, right, bottom);
}

void ReadWorkArea(std::string_view text, int& left, int& top, int& right, int& bottom) {
  TParamString ps{std::string(text)};
  left = ps.GetSubParam("WorkArea", "Left", 0);
  top = ps.GetSubParam("WorkArea", "Top", 0);
  right = ps.GetSubParam("WorkArea", "Right", 0);
  bottom = ps.GetSubParam("WorkArea", "Bottom", 0);
}

void ApplyFontSpec(gfx::TFont32& font, std::string_view text) {
  TParamString ps{std::string(text)};
  font.Name = ps.GetParam("Name", std::string_view(font.Name));
  font.Size = ps.GetParam("Size", font.Size);
  font.Color = ps.GetParam("Color", int(font.Color));
  font.Bold = ps.GetParam("Bold", false);
  font.Italic = ps.GetParam("Italic", false);
}

void LoadFontEntry(gfx::TFont32& font, std::string_view path, std::string_view section,
                   std::string_view name, std::string_view def) {
  TParamString ps;
  ps.LoadFromIni(path, section, "Font(" + std::string(name) + ")", def);
  ApplyFontSpec(font, ps.PS_STRING);
}

void SaveFontEntry(const gfx::TFont32& font, const std::string& path, std::string_view section,
                   std::string_view name) {
  std::string key = "Font(" + std::string(name) + ")";
  WriteIniParam(path, section, key, "Name", std::string_view(font.Name));
  WriteIniParam(path, section, key, "Color", int(font.Color));
  WriteIniParam(path, section, key, "Size", font.Size);
  WriteIniParam(path, section, key, "Bold", font.Bold);
  WriteIniParam(path, section, key, "Italic", font.Italic);
}

void LoadRectEntry(gfx::TRect& rect, std::string_view path, std::string_view section,
                   std::string_view name, std::string_view def) {
  TParamString ps;
  ps.LoadFromIni(path, section, "Rect(" + std::string(name) + ")", def);
  ReadRectEntry(ps.PS_STRING, rect);
}

void ReadRectEntry(std::string_view text, gfx::TRect& rect) {
  TParamString ps{std::string(text)};
  rect.Left = ps.GetParam("Left", 2);
  rect.Top = ps.GetParam("Top", 2);
  rect.Right = ps.GetParam("Right", 2);
  rect.Bottom = ps.GetParam("Bottom", 2);
}

}  // namespace config
