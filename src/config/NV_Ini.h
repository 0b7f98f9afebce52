// Settings files: INI text whose sections and keys compare without regard to case (A-Z), with
// values trimmed of blanks. A file is kept line by line, so writing one value leaves comments,
// unknown lines, order and line ends as they were. The encoding stays the file's own: UTF-8
// (with its byte-order mark when it had one) or, after a UTF-16 byte-order mark, UTF-16.
//
// Every write replaces the file atomically: the new text goes to a temporary file in the same
// folder, which then takes the old file's place with its permissions. A failed write leaves the
// old file untouched. Paths here are file-system paths; macros are resolved by the callers.
//
// A TIniFile is a plain value. The file functions read the whole file anew on every call.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace config {

enum class TTextEncoding { teUtf8, teUtf8Bom, teUtf16LE, teUtf16BE };

struct TIniEntry {
  std::string Section;  // as written in the file
  std::string Key;
  std::string Value;
};

class TIniFile {
 public:
  TIniFile() = default;  // an empty UTF-8 file
  // Any bytes parse; a line that is neither a section, a key nor a comment is kept as it is.
  static TIniFile FromBytes(std::string_view bytes);
  // The file's bytes: exactly what FromBytes read when nothing was written.
  std::string ToBytes() const;
  TTextEncoding Encoding() const { return FEncoding; }

  // The first key of that name in a section of that name, in file order.
  std::optional<std::string> ReadValue(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // Every key in file order; keys before the first section belong to none and are left out.
  std::vector<TIniEntry> Entries() const;

  // Replaces the value that ReadValue would find, or adds the key at the end of the first
  // section of that name, or adds the section at the end of the file. False, and nothing
  // written, when the text would not read back: a line break anywhere, an empty key, a key
  // with "=" or starting with "[" or ";", a section name with "]".
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Removes every section of that name with all its lines, up to the next section.
  void EraseSection(std::string_view section);

 private:
  struct TLine {
    std::string Text;  // without its line end
    std::string Eol;   // "\n", "\r\n" or "" for a last line without one
  };
  struct TKeyLine;

  std::optional<TKeyLine> FindKey(std::string_view section, std::string_view key) const;

  std::vector<TLine> FLines;
  TTextEncoding FEncoding = TTextEncoding::teUtf8;
  std::string FEol = "\n";  // the line end of lines added
  std::string FTail;        // an odd last byte of a UTF-16 file, kept for the way back
};

// The file at Path, or nothing when it cannot be read.
std::optional<TIniFile> LoadIniFile(const std::string& path);
// The value of Key in Section of the file at Path; Default when file, section or key is missing.
std::string IniReadString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view def);

enum class TIniCreate {
  icNever,             // the file must exist (settings files are never created)
  icInExistingFolder,  // a missing file is made when its folder exists
};
// Writes one value; false when nothing was written.
bool IniWriteString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value, TIniCreate create = TIniCreate::icNever);


}  // namespace config
