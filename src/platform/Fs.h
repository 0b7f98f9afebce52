// Plain POSIX questions about paths, shared by every backend: they ask the real file system.
// Paths are the file system's bytes; a symbolic link counts as what it points to, except in
// SymlinkTarget. Every function may be called from any thread.
#pragma once

#include <string>

namespace platform::Fs {

bool Exists(const std::string& path);           // anything is there
bool FileExists(const std::string& path);       // something that is not a folder is there
bool DirectoryExists(const std::string& path);  // a folder is there

// Where the symbolic link Path points, made absolute against the link's folder; empty when Path
// is no symbolic link. The target need not exist.
std::string SymlinkTarget(const std::string& path);

}  // namespace platform::Fs
