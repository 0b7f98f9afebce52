// The size of a JPEG picture from its header alone, without a decoder: thumbnails of many files
// are laid out before any of them is decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace gfx {

// Walks the markers from the start of image to the first frame header (baseline, extended,
// progressive, lossless, hierarchical or arithmetic) and reads its height and width. False with
// 0 x 0 when the data is no JPEG, ends or contradicts itself before the frame header, or reaches
// a scan or the end of the image without one. Every step moves forward, so it always ends.
bool JpegHeaderSize(const uint8_t* data, size_t size, int& width, int& height);

// The same for a file, reading only as far as the frame header and at most the first
// kMaxJpegHeaderBytes; a missing, unreadable or special file gives false with 0 x 0.
inline constexpr size_t kMaxJpegHeaderBytes = size_t{1} << 20;
bool JpegFileSize(const std::string& path, int& width, int& height);

}  // namespace gfx
