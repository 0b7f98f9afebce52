// Picture files in and out as bytes, over base/FileIo with the picture layer's results: the
// codecs save through it and the picture loaders read through it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/PictureTypes.h"

namespace gfx {

// Reads a whole regular file. A missing file gives peNotFound, a denied, special or unreadable
// one peUnreadable, one longer than MaxBytes peTooLarge; Bytes is empty after any failure.
TPictureResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes,
                             int64_t maxBytes);

// Replaces the file at Path with Bytes as base::WriteFileAtomically does, so a reader sees
// either the old file or the complete new one; any failure is peWriteFailed.
TPictureResult WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace gfx
