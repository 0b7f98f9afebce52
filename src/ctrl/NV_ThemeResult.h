// What one theme load of a control produced: pictures, fonts, content insets, rectangles and
// parameter values.
//
// The theme task's worker runs the control's On_LoadTheme(result), which fills this object and
// nothing else: it reads the theme data file and decodes pictures here, privately. The interface
// thread then runs On_LoadThemeEnd(result), whose base form publishes the result into the
// control (ApplyTo): pictures and fonts into its skin buffer, the insets into SC_OFFSET_*,
// parameter values into its persistent parameters; then the control arranges and redraws. So a
// painter never sees a half-loaded theme, and the worker never writes what the interface reads.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/NV_ParamString.h"
#include "ctrl/NV_SkinBuffer.h"
#include "gfx/Font.h"
#include "gfx/Geometry.h"

namespace ctrl {

class TSmartCtrl;

// The content insets of a control.
struct TThemeOffsets {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TThemeOffsets&, const TThemeOffsets&) = default;
};

class TThemeResult {
 public:
  // The theme data file of the control theme, where the sections of the controls live.
  static constexpr std::string_view kThemeData = "ControlTheme:\\";

  // The picture file Path (a macro path) for skin entry ID; false when the file does not exist
  // (then the entry is left as it is). A file that is not a PNG leaves the entry loading.
  bool LoadImage(std::string_view id, std::string_view path, const config::TResizeParams& params = {});
  // A picture made in memory for skin entry ID.
  void AddImage(std::string_view id, gfx::TBitmap32 picture, const config::TResizeParams& params = {});

  // A font for skin entry ID, from a font specification or from a "Font(...)" entry of a theme
  // file; it is this result's own until it is published, so it may be changed further here.
  gfx::TFont32& LoadFont(std::string_view id, std::string_view paramString);
  gfx::TFont32& LoadFont(std::string_view id, std::string_view paramsPath, std::string_view fontSection,
                         std::string_view fontID, std::string_view def);

  // The content insets (SC_OFFSET_*), given or read from a "WorkArea" of a theme file entry.
  void SetOffsets(const TThemeOffsets& offsets) { FOffsets = offsets; }
  void LoadWorkArea(std::string_view path, std::string_view section, std::string_view ident,
                    std::string_view def = "");

  // Persistent control parameters set on publishing; a rectangle becomes the four integer
  // values Name + ".Left", ".Top", ".Right" and ".Bottom".
  void SetParam(std::string_view id, int32_t value);
  void SetParam(std::string_view id, std::string_view value);
  void SetRect(std::string_view name, const gfx::TRect& rect);
  // The "Rect(...)" entry RectID of a theme file, stored as the rectangle Name.
  void LoadRect(std::string_view name, std::string_view path, std::string_view section, std::string_view rectID,
                std::string_view def = "");

  // The standard background: the "WorkArea" of Section's "Image(Background)" entry in the
  // control theme's data file becomes the insets, and ImagePath (a macro path) the picture
  // "ControlBack" with that entry's resize parameters. False when the picture is missing.
  bool LoadStandardBackground(std::string_view section, std::string_view imagePath);

  // What was loaded, for a subclass's On_LoadThemeEnd.
  const std::optional<TThemeOffsets>& Offsets() const { return FOffsets; }
  const gfx::TFont32* Font(std::string_view id) const;
  bool HasImage(std::string_view id) const;
  int ImageCount() const { return int(FImages.size()); }

  // Publishes everything into Control, on the interface thread: pictures and fonts into its
  // skin buffer (none without one), insets and parameters into the control. Pictures and fonts
  // are moved out; applying twice publishes them once.
  void ApplyTo(TSmartCtrl& control);

 private:
  struct TImage {
    std::string ID;
    TLoadedImage Image;
  };
  struct TFont {
    std::string ID;
    gfx::TFont32 Font;
  };
  struct TParam {
    std::string ID;
    bool IsText = false;
    int32_t Integer = 0;
    std::string Text;
  };

  std::vector<TImage> FImages;
  std::deque<TFont> FFonts;  // a deque: a returned font stays where it is
  std::optional<TThemeOffsets> FOffsets;
  std::vector<TParam> FParams;
};

}  // namespace ctrl
