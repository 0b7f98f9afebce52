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

}  // namespace platform
