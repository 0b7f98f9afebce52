// File-name order and search folding. The order depends on the process's collation locale, so
// each ordering test sets one itself ("C", "C.UTF-8" and a language locale when installed) and
// puts the previous one back afterwards.
#include <gtest/gtest.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/Unicode.h"

using namespace platform;
using namespace std::string_literals;

namespace {

// Sets LC_COLLATE and LC_CTYPE (GLib reads the character set from the latter) for one scope.
class TLocaleScope {
 public:
  explicit TLocaleScope(const char* name)
      : OldCollate(setlocale(LC_COLLATE, nullptr)), OldCtype(setlocale(LC_CTYPE, nullptr)) {
    Active = setlocale(LC_COLLATE, name) != nullptr && setlocale(LC_CTYPE, name) != nullptr;
  }
  ~TLocaleScope() {
    setlocale(LC_COLLATE, OldCollate.c_str());
    setlocale(LC_CTYPE, OldCtype.c_str());
  }
  TLocaleScope(const TLocaleScope&) = delete;
  TLocaleScope& operator=(const TLocaleScope&) = delete;

  bool Active = false;

 private:
  std::string OldCollate, OldCtype;
};

// Locales with language rules for accents; the first installed one serves.
const char* const kLanguageLocales[] = {"en_US.UTF-8", "en_GB.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8"};

// A name of the longest length a file system allows, starting with the given text.
std::string LongName(const std::string& start) {
  return start + std::string(255 - start.size(), 'x');
}

// How the keys of two names relate when the names are in order.
enum class TKeys {
  Less,    // the keys alone put them in order
  Same,    // the keys are equal; the raw bytes decide
  Either,  // depends on the locale: less or equal
};

struct TOrderCase {
  std::string First, Second;
  TKeys Keys;
  const char* Why;
};

// Holds in every locale: the ones without language rules as much as the language ones.
std::vector<TOrderCase> OrderCases() {
  return {
      {"a", "B", TKeys::Less, "case does not count"},
      {"B", "b", TKeys::Same, "the same letter in two cases: the raw bytes decide"},
      {"b", "C", TKeys::Less, "case does not count"},
      {"STRASSE", "Stra\u00DFe", TKeys::Same, "full case folding"},
      {"\u00C9a", "\u00E9b", TKeys::Less, "case does not count beyond ASCII"},
      {"\u00E9b", "\u00C9c", TKeys::Less, "case does not count beyond ASCII"},
      {"file2", "file10", TKeys::Less, "numbers by value"},
      {"File9.txt", "file10.txt", TKeys::Less, "numbers by value, without regard to case"},
      {LongName("file9"), LongName("file10"), TKeys::Less, "255-byte names"},
      {LongName("A"), LongName("b"), TKeys::Less, "255-byte names, case"},
      {"", "a", TKeys::Less, "the empty name first"},
      {"", "\xFF", TKeys::Less, "the empty name first"},
      {"x", "x\n", TKeys::Less, "a trailing newline is part of the name"},
      {"a\nb", "ab", TKeys::Less, "a newline inside the name"},
      {"abc", "abc\xFF", TKeys::Less, "an invalid byte after the valid part"},
      {"abc\xFF", "abd", TKeys::Less, "the valid part still orders the name"},
      {"\xFF" "a", "\xFF" "b", TKeys::Less, "the valid part after an invalid byte"},
      {"caf\xE8", "caf\xE9", TKeys::Either, "names differing only in invalid bytes"},
      {"a\xFE", "a\xFF", TKeys::Either, "names differing only in invalid bytes"},
      {"a\0b"s, "a\0c"s, TKeys::Less, "a NUL does not end the name"},
  };
}

int SignOf(int value) { return (value > 0) - (value < 0); }

// Names from the cases above and combinations of stems, numbers and extensions.
std::vector<std::string> NameSet() {
  std::set<std::string> names;
  for (const TOrderCase& c : OrderCases()) names.insert({c.First, c.Second});
  const char* const stems[] = {"a",    "A",      "b",    "B",    "\u00E9", "\u00C9", "\u00DF",
                               "ss",   "SS",     "file", "File", "x\n",    "\xFF",   "\xFE",
                               "caf\xE9", "caf\u00E9", ""};
  const char* const numbers[] = {"", "1", "2", "10", "02"};
  const char* const extensions[] = {"", ".txt", ".TXT"};
  for (const char* stem : stems)
    for (const char* number : numbers)
      for (const char* extension : extensions) names.insert(std::string(stem) + number + extension);
  return {names.begin(), names.end()};
}

std::vector<std::string> SortedFromShuffle(std::vector<std::string> names, unsigned seed) {
  std::shuffle(names.begin(), names.end(), std::mt19937(seed));
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return CompareFileNames(a, b) < 0; });
  return names;
}

// The way a list of many names sorts: each key computed once, ties broken by the raw name.
std::vector<std::string> SortedByStoredKeys(const std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::string>> keyed;
  for (const std::string& name : names) keyed.emplace_back(FileNameSortKey(name), name);
  std::sort(keyed.begin(), keyed.end());
  std::vector<std::string> sorted;
  for (auto& entry : keyed) sorted.push_back(std::move(entry.second));
  return sorted;
}

class FileNameOrder : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!Locale.Active) GTEST_SKIP() << "locale " << GetParam() << " is not installed";
  }
  TLocaleScope Locale{GetParam()};
};

}  // namespace

TEST_P(FileNameOrder, CasesComeInOrder) {
  for (const TOrderCase& c : OrderCases()) {
    SCOPED_TRACE(testing::PrintToString(c.First) + " before " + testing::PrintToString(c.Second) +
                 ": " + c.Why);
    EXPECT_LT(CompareFileNames(c.First, c.Second), 0);
    EXPECT_GT(CompareFileNames(c.Second, c.First), 0);
    EXPECT_EQ(CompareFileNames(c.First, c.First), 0);
    const std::string first = FileNameSortKey(c.First), second = FileNameSortKey(c.Second);
    switch (c.Keys) {
      case TKeys::Less: EXPECT_LT(first, second); break;
      case TKeys::Same: EXPECT_EQ(first, second); break;
      case TKeys::Either: EXPECT_LE(first, second); break;
    }
  }
}

TEST_P(FileNameOrder, IsOneStrictTotalOrder) {
  const std::vector<std::string> names = NameSet();
  const std::vector<std::string> sorted = SortedFromShuffle(names, 1);
  EXPECT_EQ(SortedFromShuffle(names, 2), sorted) << "two shuffles sort differently";
  EXPECT_EQ(SortedByStoredKeys(names), sorted) << "stored keys disagree with the comparison";
  // Every later name compares after every earlier one: no two distinct names are equal and the
  // order is transitive over the whole set.
  std::vector<std::string> keys;
  for (const std::string& name : sorted) keys.push_back(FileNameSortKey(name));
  for (size_t i = 0; i < sorted.size(); ++i)
    for (size_t j = i + 1; j < sorted.size(); ++j) {
      const int byKey = SignOf(keys[i].compare(keys[j]));
      ASSERT_TRUE(byKey < 0 || (byKey == 0 && sorted[i] < sorted[j]))
          << testing::PrintToString(sorted[i]) << " and " << testing::PrintToString(sorted[j]);
      ASSERT_LT(CompareFileNames(sorted[i], sorted[j]), 0);
    }
}

TEST_P(FileNameOrder, KeysAreTheSameOnOtherThreads) {
  const std::vector<std::string> names = NameSet();
  std::vector<std::string> expected;
  for (const std::string& name : names) expected.push_back(FileNameSortKey(name));
  std::vector<std::string> fromThread[2];
  std::vector<std::thread> threads;
  for (auto& keys : fromThread)
    threads.emplace_back([&names, &keys] {
      for (const std::string& name : names) keys.push_back(FileNameSortKey(name));
    });
  for (std::thread& thread : threads) thread.join();
  for (const auto& keys : fromThread) EXPECT_EQ(keys, expected);
}

INSTANTIATE_TEST_SUITE_P(Locales, FileNameOrder,
                         testing::Values("C", "C.UTF-8", "en_US.UTF-8", "de_DE.UTF-8"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           std::replace_if(name.begin(), name.end(),
                                           [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                           return name;
                         });

TEST(FileNameOrderLanguage, AccentsFollowTheLanguageRules) {
  const char* installed = nullptr;
  for (const char* name : kLanguageLocales) {
    if (TLocaleScope(name).Active) {
      installed = name;
      break;
    }
  }
  if (!installed) GTEST_SKIP() << "no language locale is installed";
  TLocaleScope locale(installed);
  ASSERT_TRUE(locale.Active);
  // Plain byte order would put each accented name after every unaccented one.
  const std::pair<const char*, const char*> cases[] = {
      {"e", "\u00E9"},
      {"\u00E9", "f"},
      {"r\u00E9sum\u00E9", "rose"},
      {"\u00E9clair", "zebra"},
      {"\u00C5ngstr\u00F6m", "b"},
  };
  for (const auto& [first, second] : cases) {
    SCOPED_TRACE(std::string(installed) + ": " + first + " before " + second);
    EXPECT_LT(CompareFileNames(first, second), 0);
    EXPECT_LT(FileNameSortKey(first), FileNameSortKey(second));
  }
}

TEST(FoldForSearch, FoldedTextFindsNamesWithoutRegardToCase) {
  struct TCase {
    std::string Typed, Name;
    bool Found;
  };
  const TCase cases[] = {
      {"ABC", "xabcx.txt", true},
      {"abc", "XABCX.TXT", true},
      {"abd", "xabcx.txt", false},
      {"STRASSE", "Die Stra\u00DFe.txt", true},
      {"\u03C3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2", "\u03A3\u038A\u03A3\u03A5\u03A6\u039F\u03A3.pdf", true},
      {"caf\u00C9", "CAF\u00C9 menu", true},
      {"cafe", "CAF\u00C9 menu", false},  // folding keeps accents
      {"\xFF", "a\xFF" "b", true},
      {"\xFE", "a\xFF" "b", false},
      {"A\xFF" "B", "xa\xFF" "bx", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Typed + " in " + c.Name);
    EXPECT_EQ(FoldForSearch(c.Name).find(FoldForSearch(c.Typed)) != std::string::npos, c.Found);
  }
}

TEST(FoldForSearch, FoldsAsciiAndTheRest) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"ReadMe.TXT", "readme.txt"},
      {"\u00C9COLE", "\u00E9cole"},
      {"AB\u00C7D", "ab\u00E7d"},          // ASCII in front, then the rest
      {"A\xFF" "B\xC3", "a\xFF" "b\xC3"},  // stray and cut-off bytes stay
      {"X\0Y"s, "x\0y"s},
  };
  for (const auto& [text, folded] : cases) EXPECT_EQ(FoldForSearch(text), folded) << text;
}

TEST(FoldForSearch, AsciiFastPathAgreesWithCaseFold) {
  std::string allAscii;
  for (int c = 0; c < 128; ++c) {
    const std::string one(1, char(c));
    EXPECT_EQ(FoldForSearch(one), CaseFold(one)) << "byte " << c;
    // The same byte in front of a non-ASCII character takes the other path.
    EXPECT_EQ(FoldForSearch(one + "\u00C9"), CaseFold(one + "\u00C9")) << "byte " << c;
    allAscii += one;
  }
  EXPECT_EQ(FoldForSearch(allAscii), CaseFold(allAscii));
}
