#include "gfx/PictureIo.h"

#include "base/FileIo.h"

namespace gfx {

namespace {

TPictureError PictureErrorOf(base::TReadError error) {
  switch (error) {
    case base::TReadError::reNone:
      return TPictureError::peNone;
    case base::TReadError::reNotFound:
      return TPictureError::peNotFound;
    case base::TReadError::reUnreadable:
      return TPictureError::peUnreadable;
    case base::TReadError::reTooLarge:
      return TPictureError::peTooLarge;
  }
  return TPictureError::peUnreadable;
}

}  // namespace

TPictureResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes,
                             int64_t maxBytes) {
  const base::TReadResult read = base::ReadWholeFile(path, bytes, maxBytes);
  if (read) return {};
  return PictureFailure(PictureErrorOf(read.Error), path + ": " + read.Message());
}

TPictureResult WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  const base::TWriteResult written = base::WriteFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (written) return {};
  return PictureFailure(TPictureError::peWriteFailed, path + ": cannot be written: " + written.Message());
}

}  // namespace gfx
