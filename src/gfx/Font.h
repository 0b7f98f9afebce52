// A font as the system describes it: face name, size in points, colour and two styles. A plain
// value; the text renderer turns it into a platform font when text is measured or drawn.
#pragma once

#include <string>

#include "gfx/Color.h"

namespace gfx {

struct TFont32 {
  std::string Name = "Calibri";
  int Size = 11;     // points
  TColor Color = 0;  // $00BBGGRR, drawn opaque
  bool Bold = false;
  bool Italic = false;

  friend bool operator==(const TFont32&, const TFont32&) = default;
};

}  // namespace gfx
