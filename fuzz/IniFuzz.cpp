// Arbitrary bytes as a settings file. Reading never crashes; a file nobody wrote to comes back
// byte for byte; every listed key can be read; and a value that was written reads back, trimmed,
// after the file went through its bytes again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzText.h"
#include "config/NV_Ini.h"

namespace {

std::string_view Trimmed(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  config::TIniFile ini = config::TIniFile::FromBytes(bytes);
  if (ini.ToBytes() != bytes) fuzz::Broken();
  for (const config::TIniEntry& entry : ini.Entries())
    if (!ini.ReadValue(entry.Section, entry.Key)) fuzz::Broken();

  // The file's last line, cut in three, names what to write.
  size_t lastLine = bytes.rfind('\n');
  std::string_view tail = lastLine == std::string_view::npos ? bytes : bytes.substr(lastLine + 1);
  size_t a = tail.find('|'), b = a == std::string_view::npos ? a : tail.find('|', a + 1);
  if (b == std::string_view::npos) return 0;
  std::string section(tail.substr(0, a)), key(tail.substr(a + 1, b - a - 1)),
      value(tail.substr(b + 1));
  if (!ini.WriteString(section, key, value)) return 0;
  config::TIniFile back = config::TIniFile::FromBytes(ini.ToBytes());
  bool utf16 = ini.Encoding() == config::TTextEncoding::teUtf16LE ||
               ini.Encoding() == config::TTextEncoding::teUtf16BE;
  if (utf16 && !(fuzz::IsUtf8(section) && fuzz::IsUtf8(key) && fuzz::IsUtf8(value))) return 0;
  if (back.ReadValue(section, key) != std::string(Trimmed(value))) fuzz::Broken();
  return 0;
}
