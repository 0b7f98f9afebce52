// The file:// URI of a local path and back. Every byte of the path except the unreserved
// characters (A-Z a-z 0-9 - . _ ~) and "/" is written as %XX with upper-case digits, so a
// name's bytes survive whatever their encoding: "/home/a b/é.jpg" (UTF-8) becomes
// "file:///home/a%20b/%C3%A9.jpg". Programs that name files by the digest of this text must
// agree on it to the byte, which is why no other character is left as it is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace base {

// The URI of an absolute path; empty for a relative or empty path (it names no place).
std::string FileUriOf(std::string_view absolutePath);

// The path a file URI names, with every %XX decoded to its byte: "file:///x" and the form
// with a host of "localhost" ("file://localhost/x") are accepted. Nothing for any other URI,
// for one with a query or fragment, for a malformed escape, or for an escape that makes a NUL.
std::optional<std::string> PathOfFileUri(std::string_view uri);

}  // namespace base
