#include "ctrl/NV_SmartString.h"

#include "config/NV_Convert.h"
#include "gfx/Text.h"

namespace ctrl {

int32_t TSmartString::Number() const { return config::StrToInt(SS_TEXT); }

int64_t TSmartString::Number64() const { return config::StrToInt64(SS_TEXT); }

int TSmartString::Length() const { return int(gfx::CodePointCount(SS_TEXT)); }

int TSmartString::Width(const gfx::TFont32& font) const { return gfx::TextWidth(font, SS_TEXT); }

int TSmartString::Height(const gfx::TFont32& font) const { return gfx::TextHeight(font, SS_TEXT); }

}  // namespace ctrl
