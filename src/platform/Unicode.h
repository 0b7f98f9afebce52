// Unicode text helpers shared by every backend (built on GLib, which stays out of this header).
// Every function may be called from any thread.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Full Unicode case folding ("Straße" and "STRASSE" fold alike), for comparisons without regard
// to case. Bytes that are not valid UTF-8 are kept as they are, so such text still compares
// equal only to itself.
std::string CaseFold(std::string_view utf8);

// File names in the order users expect: without regard to case, in the collation order of the
// process's LC_COLLATE locale, runs of digits by their value ("file2" before "file10").
//
// The order follows the locale the process has set (the GTK backend takes the user's from the
// environment at start-up; a process that never calls setlocale collates as "C"). Changing the
// locale while keys are stored makes them stale.
//
// FileNameSortKey returns a byte string whose plain byte order (std::string's operator<) is that
// order, so a list of a million names computes each key once and sorts with cheap compares.
// Different names can share a key ("B" and "b", or names that differ only in bytes that are not
// UTF-8); whoever sorts by the key breaks such ties by the raw names, which is what
// CompareFileNames does. The name may be any bytes (invalid UTF-8, newlines, NUL).
std::string FileNameSortKey(std::string_view name);

// The same order without a stored key: the keys first, then the raw bytes. Negative when a comes
// first, positive when b does, 0 only when the two are the same bytes.
int CompareFileNames(std::string_view a, std::string_view b);

// The folded form a plain substring filter compares: fold both the typed text and each name, then
// search ("ABC" finds "xabcx.txt", "strasse" finds "Straße"). Pure ASCII text takes a fast path
// that only lowers A-Z; anything else goes through CaseFold. Invalid bytes are kept as they are.
std::string FoldForSearch(std::string_view text);

}  // namespace platform
