// What a control's areas learn of the mouse: the button, the held keys and the position, or
// the wheel message for wheel notifications.
#pragma once

#include <cstdint>

#include "gfx/Geometry.h"
#include "platform/Input.h"

namespace ctrl {

// A wheel notification as the main view received it; the delta is in steps of 120 per notch.
struct TWheelMessage {
  uint32_t Msg = 0;
  uint32_t Keys = 0;
  int WheelDelta = 0;
  gfx::TPoint Pos;
  int64_t Result = 0;
};

struct TMouseState {
  platform::TMouseButton msButton = platform::TMouseButton::mbLeft;
  platform::TShiftState msShift;
  gfx::TPoint msPos;
  TWheelMessage msMessage;

  bool Pressed(platform::TMouseButton button) const { return msButton == button; }
  // Every key and button of Shift is held (an empty Shift is never pressed).
  bool Pressed(platform::TShiftState shift) const {
    return shift.Bits != 0 && (msShift.Bits & shift.Bits) == shift.Bits;
  }
};

}  // namespace ctrl
