// What a properties window shows of one or several paths: the quick facts, read at once, and
// the totals below folders, counted on a worker because a large tree takes a while.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

struct TTreeTotals {
  uint64_t Bytes = 0;
  uint64_t Files = 0;    // everything that is not a folder, links included
  uint64_t Folders = 0;  // below the paths and the paths themselves
};

// Adds up the given paths and everything below the folders among them, without following
// symbolic links (a link counts as a file of no bytes). Stops early when Cancel turns true; calls Progress now and then with the
// totals so far. Entries that cannot be read are left out.
TTreeTotals CountTrees(const std::vector<std::string>& paths, const std::atomic<bool>& cancel,
                       const std::function<void(const TTreeTotals&)>& progress = {});

struct TPropertyLine {
  std::string Caption;  // "Name", "Size", ...
  std::string Value;
};

// The lines for Paths before anything is counted: name, kind, location and, for one entry,
// its times and permissions. KindOf names the kind of one path ("Folder", "PNG image").
std::vector<TPropertyLine> PropertyLines(const std::vector<std::string>& paths,
                                         const std::function<std::string(const std::string&)>& kindOf);
// "12.3 MB (12,345,678 bytes), 340 files, 12 folders"; with Final false, "Counting… " first.
std::string TotalsText(const TTreeTotals& totals, bool final);

}  // namespace platform
