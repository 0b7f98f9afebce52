// Path text: the one place that decides what a trailing "/" means, what the name and the folder
// of a path are, and how a name is joined to a folder. Paths are the file system's bytes; only
// "/" is special. Nothing here touches the file system except RealPath.
//
//   path        WithoutTrailingSlash  WithTrailingSlash  BaseName  ParentOf
//   ""          ""                    ""                 ""        ""
//   "/"         "/"                   "/"                "/"       "/"
//   "name"      "name"                "name/"            "name"    ""
//   "/a"        "/a"                  "/a/"              "a"       "/"
//   "a//b/"     "a//b"                "a//b/"            "b"       "a"
#pragma once

#include <string>
#include <string_view>

namespace base {

// Path without its trailing "/" characters; a path made only of "/" becomes "/".
std::string WithoutTrailingSlash(std::string_view path);
// Path ending in exactly one "/"; the empty path stays empty (it names no folder).
std::string WithTrailingSlash(std::string_view path);

// The last component, trailing "/" ignored; "/" for the root, "" for the empty path.
std::string BaseName(std::string_view path);
// The folder holding the last component, without trailing "/": "/" for a component right
// below the root and for the root itself, "" for a bare name (it has no folder in the text).
std::string ParentOf(std::string_view path);

// Name appended to Folder with one "/" between them; an empty Folder gives Name unchanged.
std::string JoinPath(std::string_view folder, std::string_view name);

// The absolute path with every link, "." and ".." resolved; empty when Path does not lead to
// anything (or cannot be resolved).
std::string RealPath(const std::string& path);

}  // namespace base
