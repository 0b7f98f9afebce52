#include <atomic>
#include <filesystem>
#include <thread>

#include "AppFolderFixture.h"
#include "config/NV_Ini.h"
#include "config/NV_LocaleManager.h"

namespace config {
namespace {

using Locale = testing::AppFolderTest;

TEST_F(Locale, WithoutAFileEveryLookupGivesItsDefault) {
  TLocaleManager language;
  EXPECT_EQ(language.GetLocalized("Messages", "PleaseRestart", "Please Restart Norvo"),
            "Please Restart Norvo");
  EXPECT_TRUE(language.List()->empty());
}

TEST_F(Locale, Lookups) {
  WriteFile("Data/Language/English.NVL",
            "[messages]\n"
            "pleaserestart=Bitte neu starten\n"
            "Empty=\n"
            "PleaseRestart=second occurrence\n"
            "[ÄRGER]\n"
            "Straße=folded\n"
            "[Messages]\n"
            "Late=in a repeated section\n");
  TLocaleManager language;
  struct Case {
    const char* Type;
    const char* Id;
    const char* Expected;
  } cases[] = {
      {"Messages", "PleaseRestart", "Bitte neu starten"},  // without case; the first occurrence
      {"Messages", "Empty", ""},                           // an empty text is a text
      {"ärger", "STRASSE", "folded"},                      // full Unicode case folding
      {"MESSAGES", "late", "in a repeated section"},
      {"Messages", "Missing", "<default>"},
      {"Buttons", "PleaseRestart", "<default>"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(language.GetLocalized(c.Type, c.Id, "<default>"), c.Expected) << c.Id;

  std::shared_ptr<const std::vector<TLocale>> list = language.List();
  ASSERT_EQ(list->size(), 5u);  // every key, in file order
  EXPECT_EQ((*list)[2].LV_VALUE, "second occurrence");
  EXPECT_EQ((*list)[3].LV_TYPE, "ÄRGER");
  EXPECT_EQ((*list)[3].LV_ID, "Straße");
}

TEST_F(Locale, LoadFollowsTheLanguage) {
  WriteFile("Data/Language/English.NVL", "[General]\nOk=OK\n");
  WriteFile("Data/Language/Deutsch.NVL", "[General]\nOk=Gut\n");
  TLocaleManager language;
  EXPECT_EQ(Localized("General", "Ok", "-"), "-");  // no manager installed: the default
  SetLocaleManager(&language);
  EXPECT_EQ(Localized("General", "Ok", "-"), "OK");
  TPathContext context = *PathContext();
  context.Lang = "Deutsch";
  SetPathContext(context);
  language.Load();
  EXPECT_EQ(Localized("General", "Ok", "-"), "Gut");
  context.Lang = "Klingon";
  SetPathContext(context);
  language.Load();
  EXPECT_EQ(Localized("General", "Ok", "-"), "-");
  SetLocaleManager(nullptr);
}

TEST_F(Locale, BundledEnglishFile) {
  std::filesystem::path source =
      std::filesystem::path(__FILE__).parent_path() / "../../data/Language/English.NVL";
  std::filesystem::copy_file(source, PathOf("Data/Language/English.NVL"));
  TLocaleManager language;
  EXPECT_EQ(language.GetLocalized("Messages", "PleaseRestart", "?"), "Please Restart Norvo");
  EXPECT_EQ(language.GetLocalized("DaysOfWeek", "Sanday", "?"), "Sunday");
  EXPECT_EQ(language.GetLocalized("Messages", "CannotRename", "Can not rename: "),
            "Can not rename: ");
}

using LocaleThreads = testing::AppFolderTest;

// Workers look texts up while the interface thread reloads between two languages: every answer
// is one of the two files' texts, never a mixture or a default.
TEST_F(LocaleThreads, LookupsDuringReloads) {
  WriteFile("Data/Language/English.NVL", "[A]\nOne=1\nTwo=2\n");
  WriteFile("Data/Language/Other.NVL", "[a]\none=uno\ntwo=dos\n");
  TLocaleManager language;
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 3; ++r)
    readers.emplace_back([&] {
      while (!stop.load()) {
        std::string one = language.GetLocalized("A", "One", "?");
        if (one != "1" && one != "uno") bad++;
      }
    });
  TPathContext context = *PathContext();
  for (int i = 0; i < 200; ++i) {
    context.Lang = i % 2 ? "English" : "Other";
    SetPathContext(context);
    language.Load();
  }
  stop = true;
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(bad.load(), 0);
}

}  // namespace
}  // namespace config
