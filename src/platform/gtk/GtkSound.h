// Asynchronous sound through libcanberra.
#pragma once

#include "platform/Sound.h"

namespace platform::gtk {

class TGtkSound : public Sound {
 public:
  ~TGtkSound() override;
  void PlayAsync(const std::string& wavFile) override;

 private:
  void* FContext = nullptr;  // ca_context*, made at the first sound
  bool FUnavailable = false;  // no sound system: stay quiet from then on
};

}  // namespace platform::gtk
