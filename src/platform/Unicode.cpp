#include "platform/Unicode.h"

#include <glib.h>

namespace platform {

std::string CaseFold(std::string_view utf8) {
  std::string result;
  result.reserve(utf8.size());
  const char* p = utf8.data();
  const char* end = p + utf8.size();
  while (p < end) {
    const char* validEnd = nullptr;
    g_utf8_validate_len(p, size_t(end - p), &validEnd);
    if (validEnd > p) {
      gchar* folded = g_utf8_casefold(p, validEnd - p);
      result += folded;
      g_free(folded);
      p = validEnd;
    }
    if (p < end) result += *p++;  // a stray byte (or NUL) stands for itself
  }
  return result;
}

}  // namespace platform
