// Where control definitions turn into controls. Issues that bring control classes register
// into it: a maker per command word ("QuickFilter", "PathEdit") and one fallback maker for every
// other command (the command buttons). Interface thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "config/NV_ParamString.h"

namespace ctrl {

class TSmartCtrl;

// Makes a control for a definition, or none. Sender is the control that asks (may be none).
using TControlMaker =
    std::function<std::unique_ptr<TSmartCtrl>(TSmartCtrl* sender, const config::TParamString& params)>;

class TControlFactory {
 public:
  static TControlFactory& Instance();

  // A maker for the exact command word CMD (replaces an earlier one; an empty maker removes it).
  void Register(std::string_view cmd, TControlMaker maker);
  // The maker for every other command.
  void SetFallback(TControlMaker maker);
  void Clear();

  // Whether CMD has its own maker (then a ".lnk" command is not resolved for it).
  bool HasMaker(std::string_view cmd) const;
  // The control for Params ("CMD" chooses the maker), or none.
  std::unique_ptr<TSmartCtrl> Make(TSmartCtrl* sender, const config::TParamString& params) const;

 private:
  struct TEntry;
  TControlFactory();
  ~TControlFactory();

  std::unique_ptr<TEntry> FEntries;
};

}  // namespace ctrl
