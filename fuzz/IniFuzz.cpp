// Arbitrary bytes as a settings file. Reading never crashes; a file nobody wrote to comes back
// byte for byte; every listed key can be read; and a value that was written reads back, trimmed,
// after the file went through its bytes again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/NV_Ini.h"

namespace {

[[noreturn]] void Broken() { __builtin_trap(); }

std::string_view Trimmed(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

// Strict UTF-8: only such text survives the way through a UTF-16 file unchanged.
bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80           ? 1
                    : (lead >> 5) == 0x6  ? 2
                    : (lead >> 4) == 0xE  ? 3
                    : (lead >> 3) == 0x1E ? 4
                                          : 0;
    if (length == 0 || i + length > text.size()) return false;
    uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      cp = cp << 6 | (next & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return false;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  config::TIniFile ini = config::TIniFile::FromBytes(bytes);
  if (ini.ToBytes() != bytes) Broken();
  for (const config::TIniEntry& entry : ini.Entries())
    if (!ini.ReadValue(entry.Section, entry.Key)) Broken();

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
  if (utf16 && !(IsUtf8(section) && IsUtf8(key) && IsUtf8(value))) return 0;
  if (back.ReadValue(section, key) != std::string(Trimmed(value))) Broken();
  return 0;
}
