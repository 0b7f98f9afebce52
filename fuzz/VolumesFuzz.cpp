// Arbitrary text as a line of the mount table, as one of its fields and as the name of a disk
// label link. A line that parses has an absolute root without a trailing "/" (except "/"),
// and written back in the table's own form it parses to the same mount; an ejectable medium
// only ever turns a fixed drive into a removable one; unescaping never grows the text, leaves
// text without a backslash alone and undoes every escape of any byte.
#include <cstdio>
#include <functional>

#include "FuzzText.h"
#include "platform/Volumes.h"
#include "platform/gtk/GioVolumes.h"

namespace {

using platform::TMountEntry;
using platform::TVolumeKind;

// The table's own escapes: space, tab, newline and backslash as "\ooo".
std::string TableEscaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
      char code[5];
      std::snprintf(code, sizeof code, "\\%03o", unsigned(static_cast<unsigned char>(c)));
      out += code;
    } else {
      out += c;
    }
  }
  return out;
}

// Every byte escaped, in the form of Format ("\\%03o" or "\\x%02x").
std::string AllEscaped(std::string_view text, const char* format) {
  std::string out;
  for (char c : text) {
    char code[8];
    std::snprintf(code, sizeof code, format, unsigned(static_cast<unsigned char>(c)));
    out += code;
  }
  return out;
}

bool Same(const TMountEntry& a, const TMountEntry& b) {
  return a.Root == b.Root && a.Device == b.Device && a.FsType == b.FsType && a.Options == b.Options;
}

void CheckMountLine(std::string_view line) {
  TMountEntry entry;
  if (!platform::ParseMountInfoLine(line, entry)) return;
  const std::string& root = entry.Root;
  if (root.empty() || root[0] != '/' || (root != "/" && root.back() == '/')) fuzz::Broken();
  if (entry.FsType.empty() || entry.Device.empty() || entry.Options.empty()) fuzz::Broken();
  if (entry.Options.find_first_of(" \n") != std::string::npos) fuzz::Broken();

  const std::string again = "36 35 98:0 /mnt1 " + TableEscaped(root) + " " + entry.Options +
                            " master:1 - " + TableEscaped(entry.FsType) + " " +
                            TableEscaped(entry.Device) + " rw,errors=continue\n";
  TMountEntry back;
  if (!platform::ParseMountInfoLine(again, back) || !Same(back, entry)) fuzz::Broken();

  const TVolumeKind fixed = platform::ClassifyMount(entry, false);
  const TVolumeKind ejectable = platform::ClassifyMount(entry, true);
  if (ejectable == TVolumeKind::vkFixed) fuzz::Broken();
  if (fixed != TVolumeKind::vkFixed && ejectable != fixed) fuzz::Broken();
}

void CheckUnescaping(const std::string& text, const std::function<std::string(const std::string&)>& unescape,
                     const char* format) {
  const std::string plain = unescape(text);
  if (plain.size() > text.size()) fuzz::Broken();
  if (text.find('\\') == std::string::npos && plain != text) fuzz::Broken();
  if (unescape(AllEscaped(text, format)) != text) fuzz::Broken();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(fuzz::AsText(data, size));
  CheckMountLine(text);
  CheckUnescaping(text, [](const std::string& t) { return platform::UnescapeMountField(t); },
                  "\\%03o");
  if (platform::UnescapeMountField(TableEscaped(text)) != text) fuzz::Broken();
  CheckUnescaping(text, [](const std::string& t) { return platform::gtk::UnescapeLabel(t); },
                  (size & 1) ? "\\x%02X" : "\\x%02x");
  return 0;
}
