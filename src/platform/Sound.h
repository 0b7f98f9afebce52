// Asynchronous sound: the call returns at once; a missing or unreadable file plays nothing.
#pragma once

#include <string>

namespace platform {

class Sound {
 public:
  virtual ~Sound() = default;
  virtual void PlayAsync(const std::string& wavFile) = 0;
};

void SetSound(Sound* sound);
Sound& TheSound();

}  // namespace platform
