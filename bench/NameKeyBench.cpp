// What a folder of 100,000 names costs before it can be sorted and filtered. Sort keys are set
// against sorting the finished keys (the work that remains once they exist); folding for the
// search filter is set against copying the same names. Both ratios are recorded, not limited.
// The program takes the user's locale from the environment as the file manager does, so the
// figures depend on LC_COLLATE (the label of the key benchmark names it). Smoke runs use 100
// names.
#include <locale.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "platform/Unicode.h"

namespace {

constexpr size_t kShortestName = 8;
constexpr size_t kLongestName = 40;

// Names a download or photo folder holds: mostly ASCII with numbers and extensions, one in
// about six with accents, Cyrillic or CJK text, lengths spread over 8 to 40 bytes.
std::vector<std::string> MakeNames() {
  static const char* const kAsciiStems[] = {
      "IMG_", "DSC", "report ", "Invoice-", "meeting notes ", "backup_", "Screenshot 2024-05-",
      "track", "README", "chapter ", "budget Q", "setup-v", "photo ", "scan"};
  static const char* const kOtherStems[] = {
      "\u00DCbersicht ", "Caf\u00E9 ", "\u0414\u043E\u043A\u0443\u043C\u0435\u043D\u0442 ",
      "\u5199\u771F", "Stra\u00DFe ", "na\u00EFve ", "\u00C9t\u00E9 "};
  static const char* const kFillers[] = {" copy", "_final", "-v2", " (1)", "_edit", "x"};
  static const char* const kExtensions[] = {".jpg", ".JPG", ".txt", ".pdf", ".tar.gz", "", ".mp3"};
  const size_t count = bench::Smoke() ? 100 : 100000;
  std::mt19937 random(20240501);
  auto pick = [&random](const auto& list) { return list[random() % std::size(list)]; };
  std::uniform_int_distribution<size_t> lengths(kShortestName, kLongestName);
  std::vector<std::string> names;
  names.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    std::string name = random() % 6 == 0 ? pick(kOtherStems) : pick(kAsciiStems);
    name += std::to_string(random() % 5000);
    const std::string extension = pick(kExtensions);
    const size_t length = lengths(random);
    while (name.size() + extension.size() < length) name += pick(kFillers);
    name += extension;
    names.push_back(std::move(name));
  }
  return names;
}

const std::vector<std::string>& Names() {
  static const std::vector<std::string> names = MakeNames();
  return names;
}

const std::vector<std::string>& Keys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> keys;
    for (const std::string& name : Names()) keys.push_back(platform::FileNameSortKey(name));
    return keys;
  }();
  return keys;
}

void BM_FileNameSortKeys(benchmark::State& state) {
  const std::vector<std::string>& names = Names();
  state.SetLabel(std::string("LC_COLLATE=") + setlocale(LC_COLLATE, nullptr));
  std::vector<std::string> keys;
  for (auto _ : state) {
    keys.clear();
    keys.reserve(names.size());
    for (const std::string& name : names) keys.push_back(platform::FileNameSortKey(name));
    benchmark::DoNotOptimize(keys.data());
  }
}
BENCHMARK(BM_FileNameSortKeys)->Unit(benchmark::kMillisecond);

// The copy of the keys each round needs to sort them again is part of this reference; next to
// the sort it is small.
void BM_SortKeys(benchmark::State& state) {
  const std::vector<std::string>& keys = Keys();
  for (auto _ : state) {
    std::vector<std::string> sorted = keys;
    std::sort(sorted.begin(), sorted.end());
    benchmark::DoNotOptimize(sorted.data());
  }
}
BENCHMARK(BM_SortKeys)->Unit(benchmark::kMillisecond);

void BM_FoldForSearch(benchmark::State& state) {
  const std::vector<std::string>& names = Names();
  std::vector<std::string> folded;
  for (auto _ : state) {
    folded.clear();
    folded.reserve(names.size());
    for (const std::string& name : names) folded.push_back(platform::FoldForSearch(name));
    benchmark::DoNotOptimize(folded.data());
  }
}
BENCHMARK(BM_FoldForSearch)->Unit(benchmark::kMillisecond);

void BM_CopyNames(benchmark::State& state) {
  const std::vector<std::string>& names = Names();
  std::vector<std::string> copies;
  for (auto _ : state) {
    copies.clear();
    copies.reserve(names.size());
    for (const std::string& name : names) copies.push_back(std::string(name));
    benchmark::DoNotOptimize(copies.data());
  }
}
BENCHMARK(BM_CopyNames)->Unit(benchmark::kMillisecond);

}  // namespace

NORVO_BENCH_RATIO(BM_FileNameSortKeys, BM_SortKeys, 0);
NORVO_BENCH_RATIO(BM_FoldForSearch, BM_CopyNames, 0);

int main(int argc, char** argv) {
  setlocale(LC_ALL, "");  // the file manager collates in the user's locale too
  return bench::Main(argc, argv);
}
