// Arbitrary parameter texts, names and values into every read and write of TParamString. No
// input may crash or read past the text; and on any text, even one whose brackets never close, a
// value that was set reads back as it was set.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzText.h"
#include "config/NV_Convert.h"
#include "config/NV_ParamString.h"

namespace {

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
  // The input is "text \0 name \0 value \0 sub-name".
  std::vector<std::string> parts = fuzz::Parts(fuzz::AsText(data, size), 4);
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
  if (IsName(name) && !value.empty() && value != " " && !HasBrackets(value)) {
    if (set.GetParam(name, "\x01") != value) fuzz::Broken();
    // Setting it again finds the item: the text stops changing once its ",," are gone.
    if (value.find(",,") == std::string::npos) {
      config::TParamString again = set;
      const std::string second = again.SetParam(name, value);
      if (again.SetParam(name, value) != second || second.size() > set.PS_STRING.size())
        fuzz::Broken();
      if (again.GetParam(name, "\x01") != value) fuzz::Broken();
    }
  }
  config::TParamString removed = ps;
  removed.SetParam(name, "");
  return 0;
}
