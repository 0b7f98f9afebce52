// The record every broadcast event carries, passed by value through the control tree. Which
// payload field means something is told by eoType; the object and pointer payloads are not
// owned and are only valid while the delivery runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ctrl {

enum class TEventType { etObject, etString, etInteger, etPointer, etStringArray };
using enum TEventType;

struct TEventObject {
  std::string eoID;
  TEventType eoType = etString;
  void* eoObject = nullptr;
  std::string eoString;
  std::vector<std::string> eoStringArr;
  int32_t eoInteger = 0;
  void* eoPointer = nullptr;

  TEventObject() = default;
  // The name alone: a text event whose text is the name.
  explicit TEventObject(std::string_view id) : eoID(id), eoString(id) {}
  TEventObject(std::string_view id, std::string_view text) : eoID(id), eoString(text) {}
  TEventObject(std::string_view id, std::vector<std::string> texts)
      : eoID(id), eoType(etStringArray), eoStringArr(std::move(texts)) {}
};

}  // namespace ctrl
