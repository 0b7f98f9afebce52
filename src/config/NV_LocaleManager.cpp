#include "config/NV_LocaleManager.h"

#include <atomic>

#include "config/NV_Ini.h"
#include "config/NV_PathMacros.h"
#include "platform/Unicode.h"

namespace config {

namespace {

// Section and key folded, the section's length first so that no two pairs share a key.
std::string LookupKey(std::string_view localeType, std::string_view localeID) {
  std::string type = platform::CaseFold(localeType);
  return std::to_string(type.size()) + ":" + type + platform::CaseFold(localeID);
}

std::atomic<TLocaleManager*> gManager{nullptr};

}  // namespace

TLocaleManager::TLocaleManager() { Load(); }

void TLocaleManager::Load() {
  auto table = std::make_shared<TTable>();
  if (std::optional<TIniFile> file = LoadIniFile(ResolvePath("LangFile:\\"))) {
    for (TIniEntry& entry : file->Entries()) {
      table->First.try_emplace(LookupKey(entry.Section, entry.Key), table->LM_LIST.size());
      table->LM_LIST.push_back(
          {std::move(entry.Section), std::move(entry.Key), std::move(entry.Value)});
    }
  }
  FTable.Set(std::move(table));
}

std::string TLocaleManager::GetLocalized(std::string_view localeType, std::string_view localeID,
                                         std::string_view def) const {
  std::shared_ptr<const TTable> table = FTable.Get();
  auto found = table->First.find(LookupKey(localeType, localeID));
  return found == table->First.end() ? std::string(def) : table->LM_LIST[found->second].LV_VALUE;
}

std::shared_ptr<const std::vector<TLocale>> TLocaleManager::List() const {
  std::shared_ptr<const TTable> table = FTable.Get();
  return std::shared_ptr<const std::vector<TLocale>>(table, &table->LM_LIST);
}

void SetLocaleManager(TLocaleManager* manager) {
  gManager.store(manager, std::memory_order_release);
}
TLocaleManager* LocaleManager() { return gManager.load(std::memory_order_acquire); }

std::string Localized(std::string_view localeType, std::string_view localeID,
                      std::string_view def) {
  TLocaleManager* manager = LocaleManager();
  return manager ? manager->GetLocalized(localeType, localeID, def) : std::string(def);
}

}  // namespace config
