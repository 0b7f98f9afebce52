// Arbitrary text as a trash record, and arbitrary bytes as the path a record holds. Unescaping
// never grows the text; a record without "%" gives a piece of itself; and a path written into a
// record, escaped fully or only where it must be, reads back whatever follows the record.
#include <cstdio>

#include "FuzzText.h"
#include "platform/Trash.h"

namespace {

// Every byte as "%XX", upper or lower case.
std::string AllEscaped(std::string_view path, bool upper) {
  std::string out;
  for (char c : path) {
    char code[4];
    std::snprintf(code, sizeof code, upper ? "%%%02X" : "%%%02x", unsigned(static_cast<unsigned char>(c)));
    out += code;
  }
  return out;
}

// Only what would end the line or read as an escape.
std::string NeededEscaped(std::string_view path) {
  std::string out;
  for (char c : path) {
    if (c == '%' || c == '\n' || c == '\r' || c == '\0') {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02x", unsigned(static_cast<unsigned char>(c)));
      out += code;
    } else {
      out += c;
    }
  }
  return out;
}

void CheckReadsBack(std::string_view path, const std::string& escaped, std::string_view after) {
  const std::string record = "[Trash Info]\nPath=" + escaped +
                             "\nDeletionDate=2024-05-06T07:08:09\n" + std::string(after);
  if (platform::trashfolder::ParseTrashInfo(record) != path) fuzz::Broken();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  const std::string path = platform::trashfolder::ParseTrashInfo(text);
  if (path.size() > text.size()) fuzz::Broken();
  if (text.find('%') == std::string_view::npos && text.find(path) == std::string_view::npos)
    fuzz::Broken();

  // "path \0 what follows the record"
  const std::vector<std::string> parts = fuzz::Parts(text, 2);
  CheckReadsBack(parts[0], AllEscaped(parts[0], size & 1), parts[1]);
  CheckReadsBack(parts[0], NeededEscaped(parts[0]), parts[1]);
  return 0;
}
