#include "ctrl/NV_CtrlParams.h"

#include "base/Ascii.h"
#include "config/NV_ParamString.h"

namespace ctrl {

TParamValue* TCtrlParams::FindParam(std::string_view id) const {
  for (const auto& param : cpList)
    if (base::SameTextAscii(param->pvID, id)) return param.get();
  return nullptr;
}

bool TCtrlParams::FindParam(std::string_view id, TParamValue*& paramValue) const {
  paramValue = FindParam(id);
  return paramValue != nullptr;
}

TParamValue& TCtrlParams::Entry(std::string_view id) {
  if (TParamValue* found = FindParam(id)) return *found;
  cpList.push_back(std::make_unique<TParamValue>(std::string(id)));
  return *cpList.back();
}

std::string TCtrlParams::SetParam(std::string_view id, std::string_view value, bool asDefault) {
  TParamValue& param = Entry(id);
  param.pvString = value;
  if (asDefault) param.pvStringDef = value;
  return asDefault ? param.pvStringDef : param.pvString;
}

int32_t TCtrlParams::SetParam(std::string_view id, int32_t value, bool asDefault) {
  TParamValue& param = Entry(id);
  param.pvInteger = value;
  if (asDefault) param.pvIntegerDef = value;
  return asDefault ? param.pvIntegerDef : param.pvInteger;
}

bool TCtrlParams::SetParam(std::string_view id, bool value, bool asDefault) {
  TParamValue& param = Entry(id);
  param.pvBoolean = BoolToString(value);
  if (asDefault) param.pvBooleanDef = param.pvBoolean;
  return StringToBool(asDefault ? param.pvBooleanDef : param.pvBoolean);
}

TParamValue& TCtrlParams::SetParam(std::string_view id, std::string_view value,
                                   std::string_view valueDef) {
  TParamValue& param = Entry(id);
  param.pvString = value;
  param.pvStringDef = valueDef;
  return param;
}

TParamValue& TCtrlParams::SetParam(std::string_view id, int32_t value, int32_t valueDef) {
  TParamValue& param = Entry(id);
  param.pvInteger = value;
  param.pvIntegerDef = valueDef;
  return param;
}

std::string TCtrlParams::GetParam(std::string_view id, std::string_view value, bool asDefault) {
  if (const TParamValue* param = FindParam(id))
    return asDefault ? param->pvStringDef : param->pvString;
  return SetParam(id, value, asDefault);
}

int32_t TCtrlParams::GetParam(std::string_view id, int32_t value, bool asDefault) {
  if (const TParamValue* param = FindParam(id))
    return asDefault ? param->pvIntegerDef : param->pvInteger;
  return SetParam(id, value, asDefault);
}

bool TCtrlParams::GetParam(std::string_view id, bool value, bool asDefault) {
  if (const TParamValue* param = FindParam(id))
    return StringToBool(asDefault ? param->pvBooleanDef : param->pvBoolean);
  return SetParam(id, value, asDefault);
}

TParamValue& TCtrlParams::RegisterParam(std::string_view id, TParamType type,
                                        std::vector<std::string> values) {
  TParamValue& param = Entry(id);
  param.pvRegistered = true;
  param.pvType = type;
  param.pvValues = std::move(values);
  return param;
}

namespace {

// The persistent value of Param as text; numbers are written into Scratch.
std::string_view PersistentText(const TParamValue& param, std::string& scratch) {
  switch (param.pvType) {
    case ptString:
      return param.pvStringDef;
    case ptInteger:
      return scratch = std::to_string(param.pvIntegerDef);
    case ptInt64:
      return scratch = std::to_string(param.pvInt64Def);
    case ptBoolean:
      return param.pvBooleanDef;
  }
  return {};
}

}  // namespace

// The text that setting each value in turn into an empty parameter string gives, built in one
// pass: the names are unique, so every item is appended, and each setting normalises the double
// commas of the text so far, which is every value but the last.
std::string TCtrlParams::ToText() const {
  std::string scratch;
  size_t last = cpList.size();
  while (last > 0 && PersistentText(*cpList[last - 1], scratch).empty()) --last;
  std::string text;
  for (size_t i = 0; i < last; ++i) {
    const std::string_view value = PersistentText(*cpList[i], scratch);
    if (value.empty()) continue;
    if (!text.empty()) text += ',';
    text += ' ';
    text += cpList[i]->pvID;
    text += '(';
    if (i + 1 < last && value.find(",,") != std::string_view::npos)
      text += config::NormalizeDoubleCommas(value);
    else
      text += value;
    text += ')';
  }
  return text;
}

}  // namespace ctrl
