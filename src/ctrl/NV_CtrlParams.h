// A control's named parameters: its command, captions, group, alignment and any values of its
// subclass. Each entry has a current slot (the value in use) and a persistent "Def" slot (the
// value that is saved by ToText). Names compare A-Z without regard to case; the first entry of
// a name wins. Interface thread only, like the control that owns it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/Color.h"

namespace ctrl {

enum class TParamType { ptString, ptInteger, ptInt64, ptBoolean };
using enum TParamType;

class TParamValue {
 public:
  explicit TParamValue(std::string id) : pvID(std::move(id)) {}

  std::string pvID;
  TParamType pvType = ptString;  // changed only by registration
  bool pvRegistered = false;
  bool pvSave = false;
  std::vector<std::string> pvValues;  // the choices a registered parameter offers
  std::string pvString, pvStringDef;
  int32_t pvInteger = 0, pvIntegerDef = 0;
  int64_t pvInt64 = 0, pvInt64Def = 0;
  std::string pvBoolean = "0", pvBooleanDef = "0";
  gfx::TColor pvColor = 0, pvColorDef = 0;
};

class TCtrlParams {
 public:
  bool FindParam(std::string_view id, TParamValue*& paramValue) const;
  TParamValue* FindParam(std::string_view id) const;

  // Finds or appends the entry and sets its current slot, with AsDefault also the persistent
  // one. Returns the persistent slot with AsDefault, else the current one.
  std::string SetParam(std::string_view id, std::string_view value, bool asDefault);
  std::string SetParam(std::string_view id, const char* value, bool asDefault) {
    return SetParam(id, std::string_view(value), asDefault);
  }
  int32_t SetParam(std::string_view id, int32_t value, bool asDefault);
  bool SetParam(std::string_view id, bool value, bool asDefault);
  // The current and the persistent slot set to different values.
  TParamValue& SetParam(std::string_view id, std::string_view value, std::string_view valueDef);
  TParamValue& SetParam(std::string_view id, const char* value, const char* valueDef) {
    return SetParam(id, std::string_view(value), std::string_view(valueDef));
  }
  TParamValue& SetParam(std::string_view id, std::string_view value, const char* valueDef) {
    return SetParam(id, value, std::string_view(valueDef));
  }
  TParamValue& SetParam(std::string_view id, int32_t value, int32_t valueDef);

  // The persistent slot with AsDefault, else the current one; a missing entry is made with
  // SetParam(ID, Value, AsDefault) first.
  std::string GetParam(std::string_view id, std::string_view value, bool asDefault);
  std::string GetParam(std::string_view id, const char* value, bool asDefault) {
    return GetParam(id, std::string_view(value), asDefault);
  }
  int32_t GetParam(std::string_view id, int32_t value, bool asDefault);
  bool GetParam(std::string_view id, bool value, bool asDefault);

  // Marks the entry registered with its type and its choices (made when missing).
  TParamValue& RegisterParam(std::string_view id, TParamType type, std::vector<std::string> values);

  // The persistent values as a parameter string, in entry order, each by its type; entries
  // whose text is empty are left out. Unregistered entries count as strings.
  std::string ToText() const;

  static bool StringToBool(std::string_view value) { return value == "1"; }
  static std::string BoolToString(bool value) { return value ? "1" : "0"; }

  const std::vector<std::unique_ptr<TParamValue>>& List() const { return cpList; }

 private:
  TParamValue& Entry(std::string_view id);

  std::vector<std::unique_ptr<TParamValue>> cpList;
};

}  // namespace ctrl
