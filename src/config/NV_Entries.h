// Settings access and the readers of the standard entries of settings and theme files: fonts
// ("Font(name)"), rectangles ("Rect(name)"), work areas and image resize parameters.
//
// Readers take macro paths; WriteIniParam and SaveFontEntry take resolved ones. A missing file,
// key or item gives the default; a malformed number raises EConvertError.
#pragma once

#include <string>
#include <string_view>

#include "config/NV_ParamString.h"
#include "gfx/Font.h"
#include "gfx/Geometry.h"

namespace config {

// Key Ident of Section in the settings file ("SettingsFile:\"), read anew on every call.
std::string ReadSetting(std::string_view section, std::string_view ident, std::string_view def);

// Sets the single item ParamID inside the value of key Ident of the file at the resolved Path,
// found by the same locator as every parameter read. Unlike SetParam it changes nothing else
// of the value, and an empty Value is stored as 'ParamID()'. A missing file is made when its
// folder exists; false when the folder does not exist or the write fails.
bool WriteIniParam(const std::string& path, std::string_view section, std::string_view ident,
                   std::string_view paramID, std::string_view value);
inline bool WriteIniParam(const std::string& path, std::string_view section, std::string_view ident,
                          std::string_view paramID, const char* value) {
  return WriteIniParam(path, section, ident, paramID, std::string_view(value));
}
bool WriteIniParam(const std::string& path, std::string_view section, std::string_view ident,
                   std::string_view paramID, int value);
bool WriteIniParam(const std::string& path, std::string_view section, std::string_view ident,
                   std::string_view paramID, bool value);

// "DrawMode" (exact words, "full" when missing; an unknown word gives rmNone), "Margins" with
// [Left], [Top], [Right], [Bottom] (2 each) and "DrawOffset" with the same items (0 each).
void ReadResizeParams(std::string_view text, TResizeParams& params);
void LoadResizeParams(std::string_view path, std::string_view section, std::string_view ident,
                      std::string_view def, TResizeParams& params);

// The [Left], [Top], [Right], [Bottom] items of "WorkArea" in key Ident (0 each).
void LoadWorkArea(int& left, int& top, int& right, int& bottom, std::string_view path,
                  std::string_view section, std::string_view ident, std::string_view def);
// The same items of the text of such a key.
void ReadWorkArea(std::string_view text, int& left, int& top, int& right, int& bottom);

// "Name", "Size" and "Color" (the font's own when missing), then "Bold" and "Italic" (false
// when missing), each applied as it is read.
void ApplyFontSpec(gfx::TFont32& font, std::string_view text);
void LoadFontEntry(gfx::TFont32& font, std::string_view path, std::string_view section,
                   std::string_view name, std::string_view def);
// Writes "Name", "Color", "Size", "Bold" and "Italic" into key "Font(" + Name + ")".
void SaveFontEntry(const gfx::TFont32& font, const std::string& path, std::string_view section,
                   std::string_view name);

// "Left", "Top", "Right", "Bottom" of key "Rect(" + Name + ")" (2 each).
void LoadRectEntry(gfx::TRect& rect, std::string_view path, std::string_view section,
                   std::string_view name, std::string_view def);
// The same items of the text of such a key.
void ReadRectEntry(std::string_view text, gfx::TRect& rect);

}  // namespace config
