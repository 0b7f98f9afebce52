#include "base/Path.h"

#include <cstdlib>

namespace base {

namespace {
// The length of Path without its trailing "/", keeping one when nothing else is left.
size_t TrimmedLength(std::string_view path) {
  size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  return end;
}
}  // namespace

std::string WithoutTrailingSlash(std::string_view path) {
  return std::string(path.substr(0, TrimmedLength(path)));
}

std::string WithTrailingSlash(std::string_view path) {
  std::string result = WithoutTrailingSlash(path);
  if (!result.empty() && result != "/") result += '/';
  return result;
}

std::string BaseName(std::string_view path) {
  const std::string_view trimmed = path.substr(0, TrimmedLength(path));
  if (trimmed == "/") return "/";
  const size_t slash = trimmed.rfind('/');
  return std::string(slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1));
}

std::string ParentOf(std::string_view path) {
  const std::string_view trimmed = path.substr(0, TrimmedLength(path));
  if (trimmed == "/") return "/";
  const size_t slash = trimmed.rfind('/');
  if (slash == std::string_view::npos) return {};
  // "a//b": the separator before the name may be several "/" long.
  return WithoutTrailingSlash(trimmed.substr(0, slash + 1));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

std::string RealPath(const std::string& path) {
  if (path.empty()) return {};
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return {};
  std::string result(real);
  std::free(real);
  return result;
}

}  // namespace base
