// Turns smooth scrolling (fractions of a notch, as touchpads report it) into the whole wheel
// notches the system counts in: 120 units each, positive away from the user.
#pragma once

namespace platform {

class TWheelAccumulator {
 public:
  // DeltaY in notches, positive towards the user (down), as GDK reports it. Returns the wheel
  // delta to pass on now (a multiple of 120, possibly 0); the rest is kept for later.
  int Add(double deltaY) {
    FRest -= deltaY;
    const int notches = int(FRest);  // toward zero: a part notch in either direction waits
    FRest -= notches;
    return notches * 120;
  }
  void Reset() { FRest = 0; }

 private:
  double FRest = 0;
};

}  // namespace platform
