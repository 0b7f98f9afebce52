// A part of a control that most controls never use (its parameters, its task manager), made
// on first use: a folder of a million items then pays for none of them until an item needs
// one. Reads through -> and * make the part; Existing() looks without making it.
//
// Interface thread only, like the control that holds it (checked in debug builds).
#pragma once

#include <memory>

#include "platform/ThreadCheck.h"

namespace ctrl {

// Make is a function that builds the part with its first values.
template <typename T, std::unique_ptr<T> (*Make)()>
class TOnFirstUse {
 public:
  TOnFirstUse() = default;
  TOnFirstUse(const TOnFirstUse&) = delete;
  TOnFirstUse& operator=(const TOnFirstUse&) = delete;

  // Making the part does not change what the control is, so const readers may make it too.
  T& Get() const {
    if (!FValue) {
      NV_ASSERT_UI_THREAD();
      FValue = Make();
    }
    return *FValue;
  }
  T* operator->() const { return &Get(); }
  T& operator*() const { return Get(); }

  T* Existing() const { return FValue.get(); }
  void Reset() { FValue.reset(); }

 private:
  mutable std::unique_ptr<T> FValue;
};

}  // namespace ctrl
