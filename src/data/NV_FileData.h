// The facts of one file system entry as the browsing model keeps them: items, the folder
// monitor and the search carry one each.
//
// Light by design: a folder of a million entries holds a million of these. The entry's folder
// and extension are shared texts (one copy per distinct value), and the full path is made when
// asked for instead of being stored beside the name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/NV_Format.h"
#include "data/NV_SharedText.h"
#include "platform/Fs.h"

namespace data {

enum class TFileContent : uint8_t { fcImage, fcAudio, fcVideo, fcText, fcUnknown };
using enum TFileContent;

struct TFileData {
  std::string FD_NAME;       // the entry's name with its extension, the file system's bytes
  TSharedText FD_DIR;        // its folder, with the trailing "/"
  TSharedText FD_EXT;        // lower-case extension with its dot, ".folder", ".unknown" or ""
  int64_t FD_SIZE = 0;       // bytes
  int64_t FD_FREE = 0;       // free bytes of a drive; 0 for files
  config::TDateTime FD_TIME_CREATE = 0;  // local date-times
  config::TDateTime FD_TIME_ACCESS = 0;
  config::TDateTime FD_TIME_WRITE = 0;
  bool FD_HIDDEN = false;
  bool FD_SYSTEM = false;
  bool FD_READONLY = false;
  bool FD_DIRECTORY = false;   // a folder, or a link to one
  bool FD_EXECUTABLE = false;  // a regular file with an execute permission bit
  TFileContent FD_CONTENT = fcImage;

  std::string FD_PATH() const { return FD_DIR.Text() + FD_NAME; }
  // The reserved link target: never filled.
  static const std::string& FD_LINK();

  // The facts of Entry listed in Folder (with its trailing "/").
  static TFileData FromEntry(const TSharedText& folder, const platform::Fs::TFileEntry& entry);
};

// The extension of an entry just listed: ".folder" for a folder, else the lower-case extension
// of its name with the dot, or "" (".unknown" is for names that are no longer there).
std::string EntryExtension(const platform::Fs::TFileEntry& entry);

}  // namespace data
