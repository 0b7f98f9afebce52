// The program's own rules about folder entries, beyond what the system says of them. The
// folder model asks here while it lists a folder.
#pragma once

#include "config/NV_Settings.h"
#include "data/NV_FileData.h"
#include "platform/Fs.h"

namespace data {

// Hidden: the system hides the entry (its name starts with "."), or it is one of the files a
// folder keeps for this program: its theme (ThemeData.NVS) or its picture (Folder.NVB). The
// names match exactly, as the program writes them.
bool IsHiddenEntry(const platform::Fs::TFileEntry& entry);

// The options keep the entry out of view: it is hidden and "HideHidden" is on, or it is a
// system entry and "HideSystem" is on.
bool HiddenByOptions(const TFileData& data, const config::TOptions& options);

}  // namespace data
