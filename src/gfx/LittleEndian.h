// Reading the little-endian numbers of the Windows file formats (BMP, icons, programs) from
// bytes the caller has checked are there.
#pragma once

#include <cstdint>

namespace gfx {

inline uint16_t Read16Le(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t Read32Le(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace gfx
