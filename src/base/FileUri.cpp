#include "base/FileUri.h"

#include "base/Ascii.h"

namespace base {

namespace {

constexpr std::string_view kScheme = "file://";

constexpr bool IsUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string FileUriOf(std::string_view absolutePath) {
  if (absolutePath.empty() || absolutePath[0] != '/') return {};
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string uri(kScheme);
  uri.reserve(kScheme.size() + absolutePath.size() * 3 / 2);
  for (char c : absolutePath) {
    if (IsUnreserved(c) || c == '/') {
      uri += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      uri += '%';
      uri += kDigits[byte >> 4];
      uri += kDigits[byte & 15];
    }
  }
  return uri;
}

std::optional<std::string> PathOfFileUri(std::string_view uri) {
  if (uri.size() < kScheme.size() || !SameTextAscii(uri.substr(0, kScheme.size()), kScheme))
    return std::nullopt;
  uri.remove_prefix(kScheme.size());
  // What stands before the path is the host: none, or this machine by its one portable name.
  const size_t slash = uri.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = uri.substr(0, slash);
  if (!host.empty() && !SameTextAscii(host, "localhost")) return std::nullopt;
  uri.remove_prefix(slash);

  std::string path;
  path.reserve(uri.size());
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '?' || uri[i] == '#') return std::nullopt;  // a query or fragment: no file
    if (uri[i] != '%') {
      path += uri[i];
      continue;
    }
    if (uri.size() - i < 3) return std::nullopt;
    const int high = HexValue(uri[i + 1]);
    const int low = HexValue(uri[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    path += char(high * 16 + low);
    i += 2;
  }
  return path;
}

}  // namespace base
