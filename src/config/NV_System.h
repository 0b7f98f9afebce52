// The small path functions of browsing and bars, on POSIX paths and volumes: a drive is a
// volume named by its mount root, "/" always among them. Every function takes macro paths.
//
// Threads: any thread. PathExists and DriveReady may wait for an unresponsive volume, within
// the platform's bound.
#pragma once

#include <string>
#include <string_view>

namespace config {

// Mode 0: a file or folder exists at Path; 1: a folder does; 2: a file does. The volume that
// holds the path must answer; a path that is not absolute never exists.
bool PathExists(std::string_view path, int mode = 0);
bool DriveReady(std::string_view drive);
// A file exists at Path without its trailing "/", or PathExists mode 0.
bool FileOrFolderExists(std::string_view path);
// PathExists, and listing the folder finds anything at all (its "." entry counts).
bool FolderHasEntries(std::string_view path);
// "/" or the mount root of a listed volume, with or without the trailing "/".
bool IsDriveRoot(std::string_view text);

// Path when something is there; otherwise the entry of the same folder whose name equals
// Path's last component without regard to A-Z case ("Unknown.png" finds "unknown.png"; of
// several, the first in byte order); otherwise the empty text. For theme and data files.
std::string ExistingPathIgnoringCase(std::string_view path);

// The last component of an existing path; a drive root with its trailing "/"; otherwise Path.
std::string PathDisplayName(std::string_view path);
// "QDrive:\" shows as "Quick Drive", "*105*" as "Search...", a drive root with its trailing
// "/"; any other path whole.
std::string PathCaption(std::string_view path);
// For a file the name of its folder, otherwise the text after the last "/" (a trailing "/"
// removed first).
std::string FolderName(std::string_view path);

// The extension of a name: from its last "." on, lower case (A-Z); a name that only starts
// with "." has none.
std::string NameExtension(std::string_view name);
// The extension of Path's last component; without one ".folder" for a folder, "" for an
// existing file and ".unknown" when nothing is there.
std::string PathExtension(std::string_view path);
// The extension of a listed entry: ".folder" for a folder; otherwise the extension of Name,
// or without one ".unknown" when the file does not exist (anymore), else "".
std::string FoundExtension(std::string_view folder, std::string_view name, bool isFolder);

std::string VolumeLabel(std::string_view root);
// 0 Desktop, 1 Start Menu, 2 Programs, 3 Startup, 4 Documents, 5 Windows, 6 System folder,
// with a trailing "/"; empty when this system has none (5 and 6 always, and other indices).
std::string SpecialFolder(int index);
// The target of a symbolic link or a desktop link; empty for anything else.
std::string ShortcutTarget(std::string_view linkFile);
// The full path of the program that opens files with the extension ('.txt') by default.
std::string OpenCommandProgram(std::string_view ext);
// The code of Path's first character minus that of "A" (-1 for an empty path).
int DriveIndex(std::string_view path);

}  // namespace config
