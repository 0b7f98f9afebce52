// Mapping of GDK key values and modifier masks to the system's virtual keys and shift state.
#pragma once

#include <cstdint>

#include "platform/Input.h"
#include "platform/Keys.h"

namespace platform::gtk {

// The virtual key of a key event: its key value, or for letters of non-Latin layouts the key
// value the same physical key has in the first layout group. 0 for keys the system ignores.
TVirtualKey VirtualKeyOf(unsigned keyval, unsigned hardwareKeycode);
TShiftState ShiftStateOf(unsigned gdkModifierMask);

}  // namespace platform::gtk
