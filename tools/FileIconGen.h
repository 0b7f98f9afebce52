// The default file icons: documents by kind, folders and drives, drawn at 256 x 256 for the
// largest tiles and scaled down by the view for smaller ones.
#pragma once

#include <filesystem>

namespace themegen {

// Draws every picture of the default file-icon theme into Folder; false when one is not written.
bool DrawFileIcons(const std::filesystem::path& folder);

}  // namespace themegen
