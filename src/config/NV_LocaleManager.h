// Translated texts: every text the interface shows is looked up by section and key in the
// current language file ("LangFile:\"), with the English text of the call site as default.
//
// Threads: lookups may come from any thread while the interface thread reloads; each lookup
// sees one whole language file, old or new.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/NV_Snapshot.h"

namespace config {

struct TLocale {
  std::string LV_TYPE;   // section
  std::string LV_ID;     // key
  std::string LV_VALUE;  // text
};

class TLocaleManager {
 public:
  // Create: loads the current language file.
  TLocaleManager();

  // Reads every key of every section of the language file, in file order; without a file the
  // list is empty and every lookup gives its default.
  void Load();
  // The text of the first entry whose section and key equal LocaleType and LocaleID under full
  // Unicode case folding; Default when there is none (an empty text in the file stays empty).
  std::string GetLocalized(std::string_view localeType, std::string_view localeID,
                           std::string_view def) const;
  // LM_LIST: the entries in file order.
  std::shared_ptr<const std::vector<TLocale>> List() const;

 private:
  struct TTable {
    std::vector<TLocale> LM_LIST;
    std::unordered_map<std::string, size_t> First;  // folded section and key -> first entry
  };
  TSnapshot<TTable> FTable;
};

// The program-wide language manager (set up by the main view); nullptr uninstalls.
void SetLocaleManager(TLocaleManager* manager);
TLocaleManager* LocaleManager();
// GetLocalized of the installed manager; Default when none is installed.
std::string Localized(std::string_view localeType, std::string_view localeID, std::string_view def);

}  // namespace config
