// Arbitrary bytes into the JPEG header reader: either no size (0 x 0) or a positive one, and a
// size once found stays the same whatever follows, since the walk stops at the frame.
#include <vector>

#include "FuzzChecks.h"
#include "gfx/JpegHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int width = -1, height = -1;
  const bool found = gfx::JpegHeaderSize(data, size, width, height);
  if (found ? width <= 0 || height <= 0 : width != 0 || height != 0) fuzz::Broken();
  if (!found) return 0;

  std::vector<uint8_t> longer(data, data + size);
  longer.insert(longer.end(), {0xFF, 0xC0, 0x00, 0x00, 0xFF, 0xD9});
  int longerWidth = 0, longerHeight = 0;
  if (!gfx::JpegHeaderSize(longer.data(), longer.size(), longerWidth, longerHeight) ||
      longerWidth != width || longerHeight != height)
    fuzz::Broken();
  return 0;
}
