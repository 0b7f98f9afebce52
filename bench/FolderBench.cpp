// The folder model at scale, each figure set against a reference measured in the same run:
//  - building a model of 100,000 listed entries (items, smart groups, name order, flat list,
//    layout) against sorting the same precomputed name keys, and 1,000,000 entries against
//    100,000 (the growth must stay near n log n);
//  - the heap the model takes per entry against a compact record of the same facts;
//  - a repaint and a mouse move over a folder of 100,000 against one of 100 (both must cost what
//    the view shows, not what the folder holds);
//  - a quick-filter keystroke over 100,000 names against a plain scan of the folded names.
// Icon tasks are paused: they need a running interface loop and would load in the measurement.
// Smoke runs use a few hundred entries and leave out the million.
#include <locale.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "BenchRatio.h"
#include "config/NV_Format.h"
#include "config/NV_System.h"
#include "data/NV_FolderHost.h"
#include "data/NV_IconCache.h"
#include "data/NV_ItemData.h"
#include "data/NV_NameOrder.h"
#include "data/NV_VirtualFolder.h"
#include "gfx/Bitmap32.h"
#include "platform/headless/HeadlessBackend.h"

namespace {

constexpr size_t kShortestName = 8;
constexpr size_t kLongestName = 40;
constexpr int kViewWidth = 1600;
constexpr int kViewHeight = 1000;
constexpr const char* kFilterText = "abc";

size_t LargeCount() { return bench::Smoke() ? 300 : 100000; }
constexpr size_t kHugeCount = 1000000;
constexpr size_t kSmallCount = 100;

// A holder with a fixed item area and nothing drawn behind the tiles (no theme).
class TFakeHost : public data::TFolderHost {
 public:
  data::TIconCache Cache{int64_t(64) << 20};

  data::THolderKind HolderKind() const override { return data::hkFiles; }
  gfx::TRect ItemArea() const override { return {0, 0, kViewWidth, kViewHeight}; }
  int HostHeight() const override { return kViewHeight; }
  bool Scrolling() const override { return false; }
  void SetScrolling(bool) override {}
  void RepaintFor(const data::TVirtualFolder&) override {}
  void ScrollRangeChanged() override {}
  ctrl::TSkinBuffer* Skin() override { return nullptr; }
  data::TIconCache& IconCache() override { return Cache; }
  void NavigateTo(const std::string&) override {}
  void OpenInNewTab(const std::string&) override {}
  void ShowSelectionTip(int, int64_t, int, int) override {}
  void HideSelectionTip() override {}
  void ShowTip(const std::string&, int, int) override {}
  void HideTip() override {}
};

TFakeHost& Host() {
  static TFakeHost host;
  return host;
}

// Names of a working folder: photos, documents, sources and notes with numbers, lengths
// spread over 8 to 40 bytes, about one in twelve a folder. A few hold the filter's text.
std::vector<data::TListedEntry> MakeListing(size_t count) {
  static const char* const kStems[] = {
      "IMG_", "DSC", "report ", "invoice-", "notes ", "backup_", "Screenshot 2023-11-",
      "main", "README", "chapter ", "budget Q", "layout_", "photo ", "scan", "tabcloth ",
      "Abc summary ", "draft", "meeting "};
  static const char* const kFillers[] = {" copy", "_final", "-v2", " (1)", "_edit", "x", "_old"};
  static const char* const kExtensions[] = {".txt", ".jpg", ".png", ".pdf", ".md", ".cpp"};
  const data::TSharedText folder("/bench/listing/");
  const data::TSharedText folderExt(".folder");
  const config::TDateTime oldest = config::EncodeDateTime(2015, 1, 1);
  std::mt19937 random(20240611);
  auto pick = [&random](const auto& list) { return list[random() % std::size(list)]; };
  std::uniform_int_distribution<size_t> lengths(kShortestName, kLongestName);
  std::uniform_real_distribution<double> days(0.0, 3650.0);
  std::uniform_real_distribution<double> sizeExponent(0.0, 32.0);
  std::vector<data::TListedEntry> entries(count);
  for (data::TListedEntry& entry : entries) {
    const bool isFolder = random() % 12 == 0;
    std::string name = pick(kStems);
    name += std::to_string(random() % 10000);
    const std::string extension = isFolder ? std::string() : std::string(pick(kExtensions));
    const size_t length = lengths(random);
    while (name.size() + extension.size() < length) name += pick(kFillers);
    name += extension;
    data::TFileData& data = entry.Data;
    data.FD_DIR = folder;
    data.FD_EXT = isFolder ? folderExt : data::TSharedText(config::NameExtension(name));
    data.FD_DIRECTORY = isFolder;
    data.FD_SIZE = isFolder ? 0 : int64_t(std::exp2(sizeExponent(random)));
    data.FD_TIME_CREATE = oldest + days(random);
    data.FD_TIME_WRITE = data.FD_TIME_CREATE + days(random) * 0.1;
    data.FD_TIME_ACCESS = data.FD_TIME_WRITE + days(random) * 0.01;
    data.FD_READONLY = random() % 50 == 0;
    entry.SortKey = data::NameSortKey(name);
    data.FD_NAME = std::move(name);
  }
  return entries;
}

// One listing per size, made once: every round copies it outside the measurement.
const std::vector<data::TListedEntry>& Listing(size_t count) {
  static std::map<size_t, std::vector<data::TListedEntry>> made;
  auto found = made.find(count);
  if (found == made.end()) found = made.emplace(count, MakeListing(count)).first;
  return found->second;
}

std::unique_ptr<data::TVirtualFolder> BuildFolder(std::vector<data::TListedEntry>&& entries) {
  auto folder = std::make_unique<data::TVirtualFolder>(&Host(), "/bench/listing/");
  folder->vfGroupMode = data::gmSmart;
  folder->GlobalPause();  // no icon tasks: they would load during the measurement
  folder->AddEntries(std::move(entries));
  return folder;
}

// ---- Building the model ---------------------------------------------------------------------

void BuildModel(benchmark::State& state, size_t count) {
  const std::vector<data::TListedEntry>& listing = Listing(count);
  // One build before the rounds: every round then reuses the heap the one before gave back, as
  // the smaller folder's many rounds do, instead of paying for fresh pages in the few rounds a
  // million entries get.
  BuildFolder(std::vector<data::TListedEntry>(listing));
  size_t flat = 0;
  size_t groups = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<data::TListedEntry> entries = listing;
    state.ResumeTiming();
    std::unique_ptr<data::TVirtualFolder> folder = BuildFolder(std::move(entries));
    benchmark::DoNotOptimize(folder.get());
    state.PauseTiming();
    flat = folder->vfPointers.size();
    groups = folder->vfGroups.size();
    folder.reset();
    // What the listing handed over goes outside the measurement too: it is the listing's.
    std::vector<data::TListedEntry>().swap(entries);
    state.ResumeTiming();
  }
  if (flat != count + groups || groups < 3) state.SkipWithError("the model lost entries or groups");
}

void BM_ModelBuild100k(benchmark::State& state) { BuildModel(state, LargeCount()); }
// Builds and sorts are repeated and their quickest repetition counts (see BenchRatio.h): the
// growth to a million entries is otherwise at the mercy of whatever else the machine runs.
BENCHMARK(BM_ModelBuild100k)->Unit(benchmark::kMillisecond)->Repetitions(3);

void BM_ModelBuild1M(benchmark::State& state) { BuildModel(state, kHugeCount); }

// The reference: the sort a model build cannot do without, over keys that already exist.
void SortKeys(benchmark::State& state, size_t count) {
  std::vector<std::string> keys;
  for (const data::TListedEntry& entry : Listing(count)) keys.push_back(entry.SortKey);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::string> sorted = keys;
    state.ResumeTiming();
    std::sort(sorted.begin(), sorted.end());
    benchmark::DoNotOptimize(sorted.data());
  }
}

void BM_SortKeys100k(benchmark::State& state) { SortKeys(state, LargeCount()); }
BENCHMARK(BM_SortKeys100k)->Unit(benchmark::kMillisecond)->Repetitions(3);

// How the bare sort grows from 100,000 keys to a million: the part of the build's growth that
// no model can avoid (recorded beside the build's own).
void BM_SortKeys1M(benchmark::State& state) { SortKeys(state, kHugeCount); }

// ---- Repaint and mouse move -----------------------------------------------------------------

// A folder laid out in the view, painted once so that the tiles in view have their captions.
struct TView {
  std::unique_ptr<data::TVirtualFolder> Folder;
  gfx::TBitmap32 Canvas{kViewWidth, kViewHeight};
  gfx::TPoint HoverA, HoverB;  // the middles of two tiles in view
  int InView = 0;

  explicit TView(std::vector<data::TListedEntry>&& entries) {
    Folder = BuildFolder(std::move(entries));
    Canvas.Clear(gfx::clWhite32);
    Folder->PaintItems(Canvas);
    int first = 0, last = -1;
    Folder->RowsBetween(0, kViewHeight, first, last);
    InView = last - first + 1;
    std::vector<gfx::TPoint> middles;
    for (int i = first; i <= last && middles.size() < 2; ++i) {
      const data::TItemData* item = Folder->vfPointers[size_t(i)].ItemData;
      if (item->ClassIs<data::TGroupData>() || !item->ID_VISIBLE) continue;
      const gfx::TRect r = item->ItemRect();
      middles.push_back({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    }
    if (middles.size() == 2) HoverA = middles[0], HoverB = middles[1];
  }
};

TView& LargeView() {
  static TView view{std::vector<data::TListedEntry>(Listing(LargeCount()))};
  return view;
}

// The entries the large folder shows first: the small folder's view then holds the same tiles,
// so the two differ only in what lies outside the view.
std::vector<data::TListedEntry> FirstShown(const data::TVirtualFolder& large, size_t count) {
  std::unordered_set<std::string> names;
  for (const data::TItemPointer& entry : large.vfPointers) {
    if (names.size() == count) break;
    if (!entry.ItemData->ClassIs<data::TGroupData>()) names.insert(entry.ItemData->ID_FILE_DATA.FD_NAME);
  }
  std::vector<data::TListedEntry> chosen;
  for (const data::TListedEntry& entry : Listing(LargeCount()))
    if (names.erase(entry.Data.FD_NAME) != 0) chosen.push_back(entry);
  return chosen;
}

TView& SmallView() {
  static TView view{FirstShown(*LargeView().Folder, kSmallCount)};
  return view;
}

void Repaint(benchmark::State& state, TView& view) {
  for (auto _ : state) {
    view.Folder->PaintItems(view.Canvas);
    benchmark::DoNotOptimize(view.Canvas.Bits());
  }
  state.SetLabel(std::to_string(view.InView) + " entries in view of " +
                 std::to_string(view.Folder->vfPointers.size()));
  bool drawn = false;
  for (int y = 0; y < kViewHeight && !drawn; y += 3)
    for (int x = 0; x < kViewWidth && !drawn; x += 3) drawn = view.Canvas.Pixel(x, y) != gfx::clWhite32;
  if (!drawn) state.SkipWithError("nothing was painted");
}

void BM_Repaint100k(benchmark::State& state) { Repaint(state, LargeView()); }
void BM_Repaint100(benchmark::State& state) {
  if (SmallView().InView != LargeView().InView) {
    const std::string why = "the two views show different tiles: " + std::to_string(SmallView().InView) +
                            " and " + std::to_string(LargeView().InView) + " entries";
    state.SkipWithError(why.c_str());
  }
  Repaint(state, SmallView());
}
BENCHMARK(BM_Repaint100k)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Repaint100)->Unit(benchmark::kMicrosecond);

// The mouse goes back and forth between two tiles, so every move changes the hot item.
void MouseMove(benchmark::State& state, TView& view) {
  benchmark::IterationCount changes = 0;
  bool onA = false;
  data::TItemData* previous = nullptr;
  for (auto _ : state) {
    onA = !onA;
    const gfx::TPoint at = onA ? view.HoverA : view.HoverB;
    data::TItemData* hot = nullptr;
    view.Folder->ItemNotify(at.X, at.Y, false, hot);
    if (hot != previous) ++changes;
    previous = hot;
  }
  if (changes < state.iterations()) state.SkipWithError("the hot item did not change on every move");
}

void BM_MouseMove100k(benchmark::State& state) { MouseMove(state, LargeView()); }
void BM_MouseMove100(benchmark::State& state) { MouseMove(state, SmallView()); }
BENCHMARK(BM_MouseMove100k)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_MouseMove100)->Unit(benchmark::kNanosecond);

// ---- Quick filter ---------------------------------------------------------------------------

void BM_QuickFilter100k(benchmark::State& state) {
  std::unique_ptr<data::TVirtualFolder> folder =
      BuildFolder(std::vector<data::TListedEntry>(Listing(LargeCount())));
  // Typing the filter's last letter and taking it back, keystroke after keystroke: each one
  // changes what some tiles show. The first keystroke folds the names; later ones reuse them.
  const std::string longer = kFilterText;
  const std::string shorter = longer.substr(0, longer.size() - 1);
  folder->QuickFilter(shorter);
  bool typed = false;
  for (auto _ : state) {
    typed = !typed;
    folder->QuickFilter(typed ? longer : shorter);
    benchmark::DoNotOptimize(folder->vfPointers.data());
  }
  if (!typed) folder->QuickFilter(longer);
  int visible = 0;
  for (const data::TItemPointer& entry : folder->vfPointers)
    if (!entry.ItemData->ClassIs<data::TGroupData>() && entry.ItemData->ID_VISIBLE) ++visible;
  if (visible == 0 || visible == int(LargeCount())) state.SkipWithError("the filter did not filter");
  state.counters["matches"] = visible;
}
BENCHMARK(BM_QuickFilter100k)->Unit(benchmark::kMicrosecond);

// The reference: the scan a filter cannot do without, over names folded beforehand.
void BM_ScanFolded100k(benchmark::State& state) {
  std::vector<std::string> folded;
  for (const data::TListedEntry& entry : Listing(LargeCount()))
    folded.push_back(data::FoldForFilter(entry.Data.FD_NAME));
  const std::string longer = data::FoldForFilter(kFilterText);
  const std::string shorter = longer.substr(0, longer.size() - 1);
  int matches = 0;
  bool typed = false;
  for (auto _ : state) {
    typed = !typed;
    const std::string& text = typed ? longer : shorter;
    matches = 0;
    for (const std::string& name : folded) matches += name.find(text) != std::string::npos;
    benchmark::DoNotOptimize(matches);
  }
  state.counters["matches"] = matches;
}
BENCHMARK(BM_ScanFolded100k)->Unit(benchmark::kMicrosecond);

// ---- Memory per entry -----------------------------------------------------------------------

// Bytes in use on the heap. Blocks above the mapping threshold (the large vectors) are mapped
// separately and counted apart from the arena's.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// The same facts held as plainly as they can be.
struct TCompactEntry {
  std::string Name;
  int64_t Size, Free;
  double Created, Accessed, Written;
  bool Hidden, System, ReadOnly;
};

struct TMemoryFigures {
  double ModelPerEntry = 0;
  double FloorPerEntry = 0;
};

TMemoryFigures MeasureMemory() {
  const std::vector<data::TListedEntry>& listing = Listing(LargeCount());
  const size_t count = listing.size();
  BuildFolder(std::vector<data::TListedEntry>(Listing(kSmallCount)));  // first-use statics
  TMemoryFigures figures;
  {
    const size_t before = HeapInUse();
    std::vector<data::TListedEntry> entries = listing;
    std::unique_ptr<data::TVirtualFolder> folder = BuildFolder(std::move(entries));
    folder->DropSortKeys();  // the listing is complete, as its finish step says
    // What stays of the entries handed over is their vector's own block: their texts moved
    // into the model or went with it.
    const size_t leftover = entries.capacity() * sizeof(data::TListedEntry);
    figures.ModelPerEntry = (double(HeapInUse()) - double(before) - double(leftover)) / double(count);
  }
  {
    const size_t before = HeapInUse();
    std::vector<TCompactEntry> compact;
    compact.reserve(count);
    for (const data::TListedEntry& entry : listing) {
      const data::TFileData& d = entry.Data;
      compact.push_back({d.FD_NAME, d.FD_SIZE, d.FD_FREE, d.FD_TIME_CREATE, d.FD_TIME_ACCESS,
                         d.FD_TIME_WRITE, d.FD_HIDDEN, d.FD_SYSTEM, d.FD_READONLY});
    }
    figures.FloorPerEntry = (double(HeapInUse()) - double(before)) / double(count);
    benchmark::DoNotOptimize(compact.data());
  }
  return figures;
}

constexpr double kMemoryTarget = 3.0;

// Prints the figures in the form of the time ratios; true when the target is met.
bool ReportMemory(const TMemoryFigures& figures) {
  const double ratio = figures.ModelPerEntry / figures.FloorPerEntry;
  const bool ok = ratio <= kMemoryTarget;
  std::printf("MEMORY model %.1f bytes per entry, compact floor %.1f bytes per entry\n",
              figures.ModelPerEntry, figures.FloorPerEntry);
  std::printf("RATIO ModelBytesPerEntry / FloorBytesPerEntry = %.2f (target <= %.2f) %s\n", ratio,
              kMemoryTarget, ok ? "met" : "MISSED");
  return ok;
}

}  // namespace

NORVO_BENCH_RATIO(BM_ModelBuild100k, BM_SortKeys100k, 2.0);
NORVO_BENCH_RATIO(BM_ModelBuild1M, BM_ModelBuild100k, 12.0);
NORVO_BENCH_RATIO(BM_SortKeys1M, BM_SortKeys100k, 0);
NORVO_BENCH_RATIO(BM_Repaint100k, BM_Repaint100, 1.1);
NORVO_BENCH_RATIO(BM_MouseMove100k, BM_MouseMove100, 1.1);
NORVO_BENCH_RATIO(BM_QuickFilter100k, BM_ScanFolded100k, 2.0);

int main(int argc, char** argv) {
  // Freed memory stays with the heap, so every round of every size reuses what the warm-up
  // build took instead of faulting fresh pages in (which a million entries would pay for in
  // every round and a hundred thousand in none).
  mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
  mallopt(M_MMAP_THRESHOLD, std::numeric_limits<int>::max() / 2);
  setlocale(LC_ALL, "");  // names collate in the user's locale, as in the file manager
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--smoke") == 0) bench::Smoke() = true;
  // The services the folder and its items use; made first, so it outlives the folders kept
  // in function statics.
  static platform::headless::THeadlessBackend backend;
  if (!bench::Smoke()) {
    benchmark::RegisterBenchmark("BM_ModelBuild1M", BM_ModelBuild1M)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2)
        ->Repetitions(3);
    benchmark::RegisterBenchmark("BM_SortKeys1M", BM_SortKeys1M)->Unit(benchmark::kMillisecond)->Repetitions(3);
  }
  const TMemoryFigures memory = MeasureMemory();
  const int timesMissed = bench::Main(argc, argv);
  const bool memoryMet = ReportMemory(memory);
  if (bench::Smoke()) return 0;
  return timesMissed != 0 || !memoryMet ? 1 : 0;
}
