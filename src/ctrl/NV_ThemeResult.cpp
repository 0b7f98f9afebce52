#include "ctrl/NV_ThemeResult.h"

#include "config/NV_Entries.h"
#include "ctrl/NV_CtrlParams.h"
#include "ctrl/NV_SmartCtrl.h"
#include "platform/ThreadCheck.h"

namespace ctrl {

bool TThemeResult::LoadImage(std::string_view id, std::string_view path, const config::TResizeParams& params) {
  std::optional<TLoadedImage> image = ReadSkinImage(path, params);
  if (!image) return false;
  FImages.push_back({std::string(id), std::move(*image)});
  return true;
}

void TThemeResult::AddImage(std::string_view id, gfx::TBitmap32 picture, const config::TResizeParams& params) {
  TLoadedImage image;
  image.Params = params;
  image.Decoded = true;
  image.Picture = std::move(picture);
  FImages.push_back({std::string(id), std::move(image)});
}

gfx::TFont32& TThemeResult::LoadFont(std::string_view id, std::string_view paramString) {
  TFont& entry = FFonts.emplace_back(TFont{std::string(id), {}});
  config::ApplyFontSpec(entry.Font, paramString);
  return entry.Font;
}

gfx::TFont32& TThemeResult::LoadFont(std::string_view id, std::string_view paramsPath,
                                     std::string_view fontSection, std::string_view fontID,
                                     std::string_view def) {
  TFont& entry = FFonts.emplace_back(TFont{std::string(id), {}});
  config::LoadFontEntry(entry.Font, paramsPath, fontSection, fontID, def);
  return entry.Font;
}

void TThemeResult::LoadWorkArea(std::string_view path, std::string_view section, std::string_view ident,
                                std::string_view def) {
  TThemeOffsets offsets;
  config::LoadWorkArea(offsets.Left, offsets.Top, offsets.Right, offsets.Bottom, path, section, ident, def);
  FOffsets = offsets;
}

void TThemeResult::SetParam(std::string_view id, int32_t value) {
  FParams.push_back({std::string(id), false, value, {}});
}

void TThemeResult::SetParam(std::string_view id, std::string_view value) {
  FParams.push_back({std::string(id), true, 0, std::string(value)});
}

void TThemeResult::SetRect(std::string_view name, const gfx::TRect& rect) {
  const std::string prefix(name);
  SetParam(prefix + ".Left", rect.Left);
  SetParam(prefix + ".Top", rect.Top);
  SetParam(prefix + ".Right", rect.Right);
  SetParam(prefix + ".Bottom", rect.Bottom);
}

void TThemeResult::LoadRect(std::string_view name, std::string_view path, std::string_view section,
                            std::string_view rectID, std::string_view def) {
  gfx::TRect rect;
  config::LoadRectEntry(rect, path, section, rectID, def);
  SetRect(name, rect);
}

bool TThemeResult::LoadStandardBackground(std::string_view section, std::string_view imagePath) {
  LoadWorkArea(kThemeData, section, "Image(Background)");
  config::TResizeParams params;
  config::LoadResizeParams(kThemeData, section, "Image(Background)", "", params);
  return LoadImage("ControlBack", imagePath, params);
}

const gfx::TFont32* TThemeResult::Font(std::string_view id) const {
  for (const TFont& entry : FFonts)
    if (entry.ID == id) return &entry.Font;
  return nullptr;
}

bool TThemeResult::HasImage(std::string_view id) const {
  for (const TImage& entry : FImages)
    if (entry.ID == id) return true;
  return false;
}

void TThemeResult::ApplyTo(TSmartCtrl& control) {
  NV_ASSERT_UI_THREAD();
  if (TSkinBuffer* skin = control.Parts().SC_SKIN) {
    for (TImage& entry : FImages) skin->PutImage(entry.ID, std::move(entry.Image));
    for (const TFont& entry : FFonts) skin->PutFont(entry.ID, entry.Font);
  }
  FImages.clear();
  FFonts.clear();
  if (FOffsets) {
    control.Parts().SC_OFFSET_LEFT = FOffsets->Left;
    control.Parts().SC_OFFSET_TOP = FOffsets->Top;
    control.Parts().SC_OFFSET_RIGHT = FOffsets->Right;
    control.Parts().SC_OFFSET_BOTTOM = FOffsets->Bottom;
  }
  for (const TParam& param : FParams) {
    if (param.IsText)
      control.Parts().Parametrs->SetParam(param.ID, std::string_view(param.Text), true);
    else
      control.Parts().Parametrs->SetParam(param.ID, param.Integer, true);
  }
}

}  // namespace ctrl
