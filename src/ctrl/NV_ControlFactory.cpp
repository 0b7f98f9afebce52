#include "ctrl/NV_ControlFactory.h"

#include <map>

#include "ctrl/NV_SmartCtrl.h"

namespace ctrl {

struct TControlFactory::TEntry {
  std::map<std::string, TControlMaker, std::less<>> Makers;
  TControlMaker Fallback;
};

TControlFactory::TControlFactory() : FEntries(std::make_unique<TEntry>()) {}
TControlFactory::~TControlFactory() = default;

TControlFactory& TControlFactory::Instance() {
  static TControlFactory factory;
  return factory;
}

void TControlFactory::Register(std::string_view cmd, TControlMaker maker) {
  if (maker)
    FEntries->Makers[std::string(cmd)] = std::move(maker);
  else if (auto it = FEntries->Makers.find(cmd); it != FEntries->Makers.end())
    FEntries->Makers.erase(it);
}

void TControlFactory::SetFallback(TControlMaker maker) { FEntries->Fallback = std::move(maker); }

void TControlFactory::Clear() {
  FEntries->Makers.clear();
  FEntries->Fallback = nullptr;
}

bool TControlFactory::HasMaker(std::string_view cmd) const {
  return FEntries->Makers.find(cmd) != FEntries->Makers.end();
}

std::unique_ptr<TSmartCtrl> TControlFactory::Make(TSmartCtrl* sender,
                                                  const config::TParamString& params) const {
  const std::string cmd = params.GetParam("CMD", "");
  if (auto it = FEntries->Makers.find(cmd); it != FEntries->Makers.end()) return it->second(sender, params);
  if (FEntries->Fallback) return FEntries->Fallback(sender, params);
  return nullptr;
}

}  // namespace ctrl
