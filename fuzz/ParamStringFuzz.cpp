// Arbitrary parameter texts, names and values into every read and write of TParamString. No
// input may crash or read past the text; and on a text whose round brackets balance, a value
// that was set reads back as it was set.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/NV_Convert.h"
#include "config/NV_ParamString.h"

namespace {

[[noreturn]] void Broken() { __builtin_trap(); }

// The input is "text \0 name \0 value \0 sub-name"; missing parts are empty.
std::vector<std::string> Split(std::string_view input) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (parts.size() < 3) {
    size_t nul = input.find('\0', start);
    if (nul == std::string_view::npos) break;
    parts.emplace_back(input.substr(start, nul - start));
    start = nul + 1;
  }
  parts.emplace_back(input.substr(start));
  parts.resize(4);
  return parts;
}

bool IsName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'))
      return false;
  return true;
}

bool HasBrackets(std::string_view text) {
  return text.find_first_of("()[]") != std::string_view::npos;
}

// Every "(" closes, and no ")" comes before its "(".
bool RoundBracketsBalance(std::string_view text) {
  int depth = 0;
  for (char c : text) {
    if (c == '(')
      ++depth;
    else if (c == ')' && --depth < 0)
      return false;
  }
  return depth == 0;
}

template <typename F>
void Quietly(F read) {
  try {
    read();
  } catch (const config::EConvertError&) {
    // a malformed number is the one error a read may raise
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> parts =
      Split(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string& text = parts[0];
  const std::string& name = parts[1];
  const std::string& value = parts[2];
  const std::string& sub = parts[3];

  const config::TParamString ps{text};
  for (config::TParamDelimiter delimiter : {config::pdRound, config::pdSquare}) {
    ps.GetParam(name, "default", delimiter);
    Quietly([&] { ps.GetParam(name, 0, delimiter); });
    Quietly([&] { ps.GetParam(name, false, delimiter); });
    ps.GetSubParam(name, sub, "default", config::pdRound, delimiter);
    Quietly([&] { ps.GetSubParam(name, sub, 2, delimiter, config::pdSquare); });
    config::TParamString copy = ps;
    copy.SetSubParam(name, sub, value, config::pdRound, delimiter);
  }
  ps.ParamExists(name);

  config::TParamString set = ps;
  set.SetParam(name, value);
  if (IsName(name) && !value.empty() && value != " " && !HasBrackets(value) &&
      RoundBracketsBalance(text)) {
    if (set.GetParam(name, "\x01") != value) Broken();
  }
  config::TParamString removed = ps;
  removed.SetParam(name, "");
  return 0;
}
