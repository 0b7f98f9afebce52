#include "data/NV_FileRules.h"

#include <string_view>

namespace data {

namespace {
constexpr std::string_view kFolderThemeFile = "ThemeData.NVS";
constexpr std::string_view kFolderPictureFile = "Folder.NVB";
}  // namespace

bool IsHiddenEntry(const platform::Fs::TFileEntry& entry) {
  return entry.Hidden || entry.Name == kFolderThemeFile || entry.Name == kFolderPictureFile;
}

bool HiddenByOptions(const TFileData& data, const config::TOptions& options) {
  return (data.FD_HIDDEN && options.Browsing.HideHidden) || (data.FD_SYSTEM && options.Browsing.HideSystem);
}

}  // namespace data
