// Value types of input shared by every backend: shift state, mouse buttons, drop effects and
// cursor shapes.
#pragma once

#include <cstdint>

namespace platform {

// The modifier keys and mouse buttons held during an event.
struct TShiftState {
  enum : uint8_t { ssShift = 1, ssCtrl = 2, ssAlt = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
  uint8_t Bits = 0;

  bool Has(uint8_t flag) const { return (Bits & flag) != 0; }
  bool Shift() const { return Has(ssShift); }
  bool Ctrl() const { return Has(ssCtrl); }
  bool Alt() const { return Has(ssAlt); }
  friend bool operator==(TShiftState, TShiftState) = default;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// What a drop does with the dragged files. A set of allowed effects is a bit mask of these.
enum TDropEffect : uint8_t { deNone = 0, deCopy = 1, deMove = 2, deLink = 4 };

enum class TCursorKind {
  ckDefault,
  ckHand,
  ckSizeAll,
  ckSizeWE,    // horizontal resize
  ckSizeNS,    // vertical resize
  ckSizeNWSE,  // diagonal, top-left to bottom-right
  ckSizeNESW,  // diagonal, top-right to bottom-left
  ckText,
  ckBusy,
};

}  // namespace platform
