#include "data/NV_FileData.h"

#include "config/NV_System.h"
#include "data/NV_FileRules.h"

namespace data {

const std::string& TFileData::FD_LINK() {
  static const std::string none;
  return none;
}

std::string EntryExtension(const platform::Fs::TFileEntry& entry) {
  if (entry.Directory) return ".folder";
  // A listed entry was there a moment ago, so a name without an extension gives "" without
  // asking the disk again (".unknown" is for names that are gone).
  return config::NameExtension(entry.Name);
}

TFileData TFileData::FromEntry(const TSharedText& folder, const platform::Fs::TFileEntry& entry) {
  TFileData data;
  data.FD_NAME = entry.Name;
  data.FD_DIR = folder;
  data.FD_EXT = TSharedText(EntryExtension(entry));
  data.FD_SIZE = entry.Size;
  data.FD_TIME_CREATE = config::FileTimeToLocal(entry.Created.Sec, entry.Created.Nsec);
  data.FD_TIME_ACCESS = config::FileTimeToLocal(entry.Accessed.Sec, entry.Accessed.Nsec);
  data.FD_TIME_WRITE = config::FileTimeToLocal(entry.Written.Sec, entry.Written.Nsec);
  data.FD_HIDDEN = IsHiddenEntry(entry);
  data.FD_SYSTEM = entry.System;
  data.FD_READONLY = entry.ReadOnly;
  data.FD_DIRECTORY = entry.Directory;
  data.FD_EXECUTABLE = entry.Executable;
  return data;
}

}  // namespace data
