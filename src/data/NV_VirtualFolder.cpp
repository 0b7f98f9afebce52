#include "data/NV_VirtualFolder.h"

#include <algorithm>
#include <numeric>

#include "base/Path.h"
#include "config/NV_Format.h"
#include "config/NV_System.h"
#include "ctrl/NV_CtrlManager.h"
#include "data/NV_FileCommands.h"
#include "data/NV_FileItems.h"
#include "data/NV_FileRules.h"
#include "data/NV_FolderIcons.h"
#include "data/NV_NameOrder.h"
#include "platform/Dialogs.h"
#include "platform/Fs.h"
#include "platform/ThreadCheck.h"

namespace data {

namespace {

// An item placed in a group is never a header, so only the few without one need the class
// check (it compares class names, too dear once per entry of a filter or a walk).
bool IsGroup(const TItemData* item) {
  return item->idGroupData == nullptr && item->ClassIs<TGroupData>();
}

int Sign(int64_t value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

}  // namespace

TVirtualFolder::TVirtualFolder(TFolderHost* dataHolder, std::string path)
    : vfID(config::RandomDigits()),
      vfPath(std::move(path)),
      vfHolder(dataHolder),
      FSharedPath(base::WithTrailingSlash(vfPath)),
      FIcons(std::make_unique<TFolderIcons>(*this)) {
  vfDrive = vfPath.empty() || vfPath[0] != '/' ? std::string() : std::string("/");
  FWheelTimer.SetHandler([this] { WheelStep(); });
}

TVirtualFolder::~TVirtualFolder() {
  // Workers first: nothing they read may go while they run.
  vfTaskManager.StopTasks(true);
  FWheelTimer.Stop();
  FDestroying = true;
  FLife.Expire();
  FOnScreen.clear();
  FDrawn.clear();
  vfPointers.clear();
  FUngrouped.clear();
  vfGroups.clear();
}

void TVirtualFolder::ReDraw() const {
  if (FBulk > 0 || vfHolder == nullptr || !vfCanDraw) return;
  vfHolder->RepaintFor(*this);
}

void TVirtualFolder::BeginUpdate() {
  vfCanDraw = false;
  vfItemTry = nullptr;
  vfItemActive = nullptr;
}

void TVirtualFolder::EndUpdate() {
  vfCanDraw = true;
  vfItemTry = nullptr;
  vfItemActive = nullptr;
}

bool TVirtualFolder::SetPath(const std::string& path) {
  if (vfWorking) return false;
  vfPath = path;
  FSharedPath = TSharedText(base::WithTrailingSlash(path));
  return true;
}

const gfx::TFont32& TVirtualFolder::StateFont(TItemSate state) const {
  switch (state) {
    case isHot: case isHotCut: return vfFonts.Hot;
    case isSel: return vfFonts.Sel;
    case isHotSel: return vfFonts.HotSel;
    default: return vfFonts.Normal;
  }
}

// ---- Adding entries -------------------------------------------------------------------------

namespace {

// A new item's place in Folder and what it takes from the options and the clock. A bulk add
// reads the clock once for all its entries.
void FillItem(TVirtualFolder& folder, TItemData& item, const config::TOptions& options,
              config::TDateTime now) {
  item.idFolder = &folder;
  TFileData& data = item.ID_FILE_DATA;
  if (data.FD_NAME.empty()) data.FD_NAME = data.FD_EXT.Text();
  item.ID_Recent = IsRecent(data.FD_TIME_CREATE, now, options.Browsing.RCITValue);
  item.ID_VISIBLE = !HiddenByOptions(data, options);
  item.CreateCaption();
}

}  // namespace

void TVirtualFolder::FillNewItem(TItemData& item, const config::TOptions& options) {
  FillItem(*this, item, options, ItemClockNow());
}

TItemData* TVirtualFolder::Item_Add(TFileData&& data, bool pointer) {
  NV_ASSERT_UI_THREAD();
  std::unique_ptr<TItemData> item = MakeItem(ItemClassOf(data));
  item->ID_FILE_DATA = std::move(data);
  ++FBulk;
  FillNewItem(*item, *config::Options());
  --FBulk;
  if (pointer) {
    item->idHasPointer = true;
    item->idPointer = int32_t(vfPointers.size());
    vfPointers.push_back({item.get()});
    if (FKeyed) FSortKeys.emplace_back();  // made when it is first sorted
    FFoldedValid = false;
  }
  if (!FNameIndex.empty()) FNameIndex.emplace(item->ID_FILE_DATA.FD_NAME, item.get());
  FUngrouped.push_back(std::move(item));
  return FUngrouped.back().get();
}

TItemData* TVirtualFolder::Item_Add(const std::string& path, bool pointer) {
  platform::Fs::TFileEntry entry;
  if (!platform::Fs::Stat(path, entry)) return nullptr;
  const TSharedText folder(base::WithTrailingSlash(base::ParentOf(path)));
  TItemData* item = Item_Add(TFileData::FromEntry(folder, entry), pointer);
  return Item_SetGroup(item, vfGroupMode);
}

void TVirtualFolder::AddEntries(std::vector<TListedEntry>&& entries) {
  NV_ASSERT_UI_THREAD();
  if (entries.empty()) return;
  const auto options = config::Options();
  const TItemOptionsScope scope(*options);  // one snapshot for every item of the batch
  const config::TDateTime now = ItemClockNow();
  ++FBulk;
  // Room for the entries and the group headers grouping them is likely to make: a header past
  // the reserve would move every key made so far.
  constexpr size_t kHeaderRoom = 64;
  vfPointers.reserve(vfPointers.size() + entries.size() + kHeaderRoom);
  // A listing keeps its keys while its batches come in (see DropSortKeys).
  if (!FKeyed) {
    FSortKeys.assign(vfPointers.size(), std::string());
    FKeyed = true;
  }
  FSortKeys.reserve(FSortKeys.size() + entries.size() + kHeaderRoom);
  for (TListedEntry& entry : entries) {
    std::unique_ptr<TItemData> item = MakeItem(ItemClassOf(entry.Data));
    item->ID_FILE_DATA = std::move(entry.Data);
    FillItem(*this, *item, *options, now);
    item->idHasPointer = true;
    item->idPointer = int32_t(vfPointers.size());
    vfPointers.push_back({item.get()});
    FSortKeys.push_back(std::move(entry.SortKey));
    if (!FNameIndex.empty()) FNameIndex.emplace(item->ID_FILE_DATA.FD_NAME, item.get());
    // Grouped at once, while the item is at hand: one walk over the new items, not two.
    TGroupData* group = GroupFor(item->GetGroupID(vfGroupMode));
    item->idGroupData = group;
    group->ID_VISIBLE = true;
    group->SubItems().push_back(std::move(item));
  }
  FFoldedValid = false;
  --FBulk;
  UpdateVisible();
  Items_Resort();
  SetIcons(true);
}

TGroupData* TVirtualFolder::GroupFor(const std::string& groupID) {
  auto found = FGroupIndex.find(groupID);
  return found != FGroupIndex.end() ? found->second : Group_Add(groupID);
}

TGroupData* TVirtualFolder::Group_Add(const std::string& groupID) {
  auto group = ctrl::TSmartCtrl::Create<TGroupData>();
  group->gdID = groupID;
  group->idFolder = this;
  group->CreateCaption();
  group->idHasPointer = true;
  group->idPointer = int32_t(vfPointers.size());
  vfPointers.push_back({group.get()});
  if (FKeyed) FSortKeys.emplace_back();
  FFoldedValid = false;
  group->ID_VISIBLE = true;
  TGroupData* made = group.get();
  FGroupIndex[groupID] = made;
  vfGroups.push_back(std::move(group));
  return made;
}

void TVirtualFolder::Regroup(TItemList&& items, TGroupMode groupMode) {
  for (auto& item : items) {
    TGroupData* group = GroupFor(item->GetGroupID(groupMode));
    item->idGroupData = group;
    group->SubItems().push_back(std::move(item));
    group->ID_VISIBLE = true;
  }
}

void TVirtualFolder::TakeOutOfGroup(TItemData& item, std::unique_ptr<TItemData>* owned) {
  TItemList* list = item.idGroupData != nullptr ? &item.idGroupData->SubItems() : &FUngrouped;
  auto found = std::find_if(list->begin(), list->end(), [&](const auto& each) { return each.get() == &item; });
  if (found == list->end()) return;
  if (owned != nullptr) *owned = std::move(*found);
  list->erase(found);
  item.idGroupData = nullptr;
}

TItemData* TVirtualFolder::Item_SetGroup(TItemData* item, TGroupMode groupMode) {
  if (item == nullptr || !ctrl::TSmartCtrl::Live(item)) return item;
  TGroupData* group = GroupFor(item->GetGroupID(groupMode));
  if (item->idGroupData == group) return item;
  std::unique_ptr<TItemData> owned;
  TakeOutOfGroup(*item, &owned);
  if (!owned) return item;
  item->idGroupData = group;
  group->SubItems().push_back(std::move(owned));
  group->ID_VISIBLE = true;
  FFoldedValid = false;  // the flat list no longer follows the groups
  return item;
}

void TVirtualFolder::RemoveEmptyGroups() {
  auto empty = [](const std::unique_ptr<TGroupData>& g) { return g->SubItem_Count() == 0; };
  if (std::none_of(vfGroups.begin(), vfGroups.end(), empty)) return;
  for (auto& group : vfGroups)
    if (empty(group)) FGroupIndex.erase(group->gdID);
  std::erase_if(vfGroups, empty);  // their flat-list entries go with the next UpdatePointers
  UpdatePointers();
}

void TVirtualFolder::Group_By(std::string_view text) {
  static const std::pair<std::string_view, TGroupMode> kWords[] = {
      {"gmNone", gmNone}, {"gmName", gmName}, {"gmExt", gmExt},     {"gmPath", gmPath},
      {"gmSize", gmSize}, {"gmType", gmType}, {"gmSmart", gmSmart}};
  TGroupMode mode = gmNone;
  for (const auto& [word, value] : kWords)
    if (word == text) mode = value;
  Group_By(mode);
}

void TVirtualFolder::Group_By(TGroupMode groupMode) {
  NV_ASSERT_UI_THREAD();
  if (vfGroups.empty()) return;
  Stop_Icons();
  vfGroupMode = groupMode;
  // Every item leaves its group and is placed again through the identifier hash: linear in the
  // items, however the groups change.
  TItemList items;
  for (auto& group : vfGroups) {
    TItemList& sub = group->SubItems();
    for (auto& item : sub) items.push_back(std::move(item));
    sub.clear();
  }
  ++FBulk;
  Regroup(std::move(items), groupMode);
  --FBulk;
  RemoveEmptyGroups();
  UpdateVisible();
  Items_Resort();
  SetIcons(true);
}

bool TVirtualFolder::Item_Rem(const std::string& path) {
  TItemData* item = Item_ByPath(path);
  if (item == nullptr) return false;
  if (item->Selected()) SelectionChanged(*item, false);
  std::unique_ptr<TItemData> owned;
  TGroupData* group = item->idGroupData;
  TakeOutOfGroup(*item, &owned);
  owned.reset();  // the item forgets itself (name index, view parts) as it goes
  if (group != nullptr && group->SubItem_Count() == 0) {
    FGroupIndex.erase(group->gdID);
    std::erase_if(vfGroups, [&](const auto& g) { return g.get() == group; });
  }
  UpdatePointers();
  UpdateVisible();
  Arrange();
  return true;
}

bool TVirtualFolder::Item_Update(const std::string& oldPath, const std::string& newPath) {
  TItemData* item = Item_ByPath(oldPath);
  if (item == nullptr) return false;
  const bool updated = item->UpdateFileData(newPath.empty() ? oldPath : newPath);
  if (updated) Arrange();
  return updated;
}

TItemData* TVirtualFolder::Item_ByPath(const std::string& path) {
  const std::string parent = base::WithTrailingSlash(base::ParentOf(path));
  if (FNameIndex.empty())
    for (const TItemPointer& entry : vfPointers)
      if (!IsGroup(entry.ItemData)) FNameIndex.emplace(entry.ItemData->ID_FILE_DATA.FD_NAME, entry.ItemData);
  const auto [first, last] = FNameIndex.equal_range(base::BaseName(path));
  for (auto it = first; it != last; ++it)
    if (it->second->ID_FILE_DATA.FD_DIR.Text() == parent) return it->second;
  return nullptr;
}

void TVirtualFolder::ItemRenamed(TItemData& item, const std::string& oldName) {
  if (item.idPointer >= 0 && size_t(item.idPointer) < FSortKeys.size()) FSortKeys[size_t(item.idPointer)].clear();
  if (!FNameIndex.empty()) {
    ForgetName(item, oldName);
    FNameIndex.emplace(item.ID_FILE_DATA.FD_NAME, &item);
  }
  FFoldedValid = false;
}

void TVirtualFolder::ItemGone(const TItemData& item) {
  if (FDestroying) return;
  FOnScreen.erase(const_cast<TItemData*>(&item));
  FDrawn.erase(const_cast<TItemData*>(&item));
  ForgetName(item, item.ID_FILE_DATA.FD_NAME);
}

void TVirtualFolder::ForgetName(const TItemData& item, const std::string& name) {
  const auto [first, last] = FNameIndex.equal_range(name);
  for (auto it = first; it != last; ++it)
    if (it->second == &item) {
      FNameIndex.erase(it);
      return;
    }
}

void TVirtualFolder::Clear() {
  Stop_Icons();
  Force_ItemLeave();
  FOnScreen.clear();
  FDrawn.clear();
  FNameIndex.clear();
  vfPointers.clear();
  DropSortKeys();
  FFolded.clear();
  FFoldedValid = false;
  FRows.clear();
  FGroupIndex.clear();
  FDestroying = true;  // the items need not forget themselves one by one
  FUngrouped.clear();
  vfGroups.clear();
  FDestroying = false;
  vfSelCount = 0;
  vfSelectedSize = 0;
  vfScrollPos = 0;
  vfScrollMax = 0;
}

// ---- Look-ups -------------------------------------------------------------------------------

bool TVirtualFolder::Item_Get(int index, TItemData*& item, bool fromPointer) const {
  item = nullptr;
  if (fromPointer) {
    if (index < 0 || index >= int(vfPointers.size())) return false;
    item = vfPointers[size_t(index)].ItemData;
  } else {
    if (index < 0 || index >= int(vfGroups.size())) return false;
    item = vfGroups[size_t(index)].get();
  }
  if (!ctrl::TSmartCtrl::Live(item)) item = nullptr;
  return item != nullptr;
}

bool TVirtualFolder::Item_Get(TEnd end, TItemData*& item, bool fromPointer) const {
  const int count = Count(fromPointer);
  return Item_Get(end == TEnd::First ? 0 : count - 1, item, fromPointer);
}

bool TVirtualFolder::Item_GetLastVisible(int index, TItemData*& item) const {
  item = nullptr;
  for (int i = std::min(index, int(vfGroups.size())) - 1; i >= 0; --i)
    if (vfGroups[size_t(i)]->ID_VISIBLE) {
      item = vfGroups[size_t(i)].get();
      return true;
    }
  return false;
}

bool TVirtualFolder::Group_Get(int index, TGroupData*& group) const {
  group = index >= 0 && index < int(vfGroups.size()) ? vfGroups[size_t(index)].get() : nullptr;
  return group != nullptr;
}

bool TVirtualFolder::Group_Get(const std::string& groupID, TGroupData*& group) const {
  const auto found = FGroupIndex.find(groupID);
  group = found != FGroupIndex.end() ? found->second : nullptr;
  return group != nullptr;
}

bool TVirtualFolder::Group_Get(TEnd end, TGroupData*& group) const {
  return Group_Get(end == TEnd::First ? 0 : int(vfGroups.size()) - 1, group);
}

// ---- Order ----------------------------------------------------------------------------------

int TVirtualFolder::CompareName(const TItemData& a, const TItemData& b, bool ascending) {
  const int order = CompareFileNames(a.ID_FILE_DATA.FD_NAME, b.ID_FILE_DATA.FD_NAME);
  return ascending ? order : -order;
}

int TVirtualFolder::CompareExt(const TItemData& a, const TItemData& b, bool ascending) {
  const int order = CompareFileNames(a.ID_FILE_DATA.FD_EXT.Text(), b.ID_FILE_DATA.FD_EXT.Text());
  return ascending ? order : -order;
}

int TVirtualFolder::CompareSize(const TItemData& a, const TItemData& b, bool ascending) {
  const int order = Sign(a.ID_FILE_DATA.FD_SIZE - b.ID_FILE_DATA.FD_SIZE);
  return ascending ? order : -order;
}

int TVirtualFolder::CompareDates(const TItemData& a, const TItemData& b, bool ascending) {
  const double d = a.ID_FILE_DATA.FD_TIME_CREATE - b.ID_FILE_DATA.FD_TIME_CREATE;
  const int order = d < 0 ? -1 : (d > 0 ? 1 : 0);
  return ascending ? -order : order;  // newest first when ascending
}

int TVirtualFolder::CompareGroups(const TGroupData& a, const TGroupData& b, bool ascending) {
  const int order = CompareFileNames(a.gdID, b.gdID);
  return ascending ? order : -order;
}

int TVirtualFolder::SmartGroupRank(std::string_view groupID) {
  if (groupID == "Folder") return 0;
  if (groupID == "Executables") return 1;
  if (groupID == "Previewable") return 2;
  if (groupID == "Others") return 3;
  return -727379968;  // any other identifier comes before the four
}

int TVirtualFolder::CompareGroupsSmart(const TGroupData& a, const TGroupData& b, bool ascending) {
  const int order = Sign(int64_t(SmartGroupRank(a.gdID)) - SmartGroupRank(b.gdID));
  return ascending ? order : -order;
}

void TVirtualFolder::SortGroups() {
  const bool smart = vfGroupMode == gmSmart;
  const bool ascending = vfAscending;
  std::sort(vfGroups.begin(), vfGroups.end(), [&](const auto& a, const auto& b) {
    const int order = smart ? CompareGroupsSmart(*a, *b, ascending) : CompareGroups(*a, *b, ascending);
    // Groups of equal rank keep one order: by identifier, then by bytes.
    if (order != 0) return order < 0;
    return CompareFileNames(a->gdID, b->gdID) < 0;
  });
}

void TVirtualFolder::Sort_By(TItemList& list, TSortMode sortMode, bool ascending) {
  if (list.size() < 2) return;
  try {
    if (sortMode == smName) {
      SortByName(list, ascending, FSortKeys);
      return;
    }
    auto compare = [&](const std::unique_ptr<TItemData>& a, const std::unique_ptr<TItemData>& b) {
      int order = 0;
      switch (sortMode) {
        case smSize: order = CompareSize(*a, *b, ascending); break;
        case smDate: order = CompareDates(*a, *b, ascending); break;
        case smExt: order = CompareExt(*a, *b, ascending); break;
        case smName: break;
      }
      // Equal keys still give one order: by name, then by bytes.
      if (order == 0) order = CompareName(*a, *b, true);
      return order < 0;
    };
    std::sort(list.begin(), list.end(), compare);
  } catch (...) {
    // A failed sort leaves the list in some order of its items; nothing is lost.
  }
}

void TVirtualFolder::Sort_By(TSortMode sortMode, bool ascending) {
  vfSortMode = sortMode;
  const bool keep = vfAscending;
  vfAscending = ascending;
  SortGroups();
  vfAscending = keep;
  for (auto& group : vfGroups) group->SubItems_Sort(sortMode, ascending);
  UpdatePointers();
  Arrange();
}

void TVirtualFolder::Items_Resort() {
  SortGroups();
  for (auto& group : vfGroups) group->SubItems_Sort();
  UpdatePointers();
  Arrange();
}

void TVirtualFolder::DropSortKeys() {
  std::vector<std::string>().swap(FSortKeys);
  FKeyed = false;
}

void TVirtualFolder::UpdatePointers() {
  // Sized to what it will hold: a list that grew past its reserve (more group headers than a
  // bulk add made room for) or lost entries would otherwise keep up to twice the room.
  size_t needed = vfGroups.size();
  for (const auto& group : vfGroups) needed += size_t(group->SubItem_Count());
  for (const auto& item : FUngrouped) needed += item->idHasPointer ? 1 : 0;
  if (vfPointers.capacity() > needed + needed / 4) std::vector<TItemPointer>().swap(vfPointers);
  vfPointers.clear();
  vfPointers.reserve(needed);
  // The sort keys move with their entries.
  std::vector<std::string> keys;
  if (FKeyed) keys.reserve(needed);
  auto place = [&](TItemData& item) {
    const size_t old = size_t(item.idPointer);
    if (FKeyed)
      keys.push_back(item.idHasPointer && item.idPointer >= 0 && old < FSortKeys.size() ? std::move(FSortKeys[old])
                                                                                        : std::string());
    item.idHasPointer = true;
    item.idPointer = int32_t(vfPointers.size());
    vfPointers.push_back({&item});
  };
  for (auto& group : vfGroups) {
    place(*group);
    if (const TItemList* items = group->ExistingSubItems())
      for (const auto& item : *items) place(*item);
  }
  for (const auto& item : FUngrouped)
    if (item->idHasPointer) place(*item);
  FSortKeys = std::move(keys);
  FFoldedValid = false;
}

// ---- Visibility and the quick filter ----------------------------------------------------------

void TVirtualFolder::UpdateVisible() {
  const bool hideEmpty = config::Options()->Browsing.HideHidden;
  for (auto& group : vfGroups) {
    const TItemList* items = group->ExistingSubItems();
    const bool any = items != nullptr &&
                     std::any_of(items->begin(), items->end(), [](const auto& i) { return i->ID_VISIBLE; });
    group->ID_VISIBLE = any || !hideEmpty;
  }
}

void TVirtualFolder::PrepareFilter(const std::shared_ptr<const config::TOptions>& held) {
  if (FFoldedValid && FFilterOptions == held) return;
  const config::TOptions& options = *held;
  // Names are folded once, and what the filter asks of each entry besides its name is kept
  // beside it, so a keystroke reads the items only to change what it shows.
  FFolded.resize(vfPointers.size());
  FFilterKinds.resize(vfPointers.size());
  FShown.resize(vfPointers.size());
  for (size_t i = 0; i < vfPointers.size(); ++i) {
    TItemData* item = vfPointers[i].ItemData;
    uint8_t kind = 0;
    if (IsGroup(item)) {
      kind = kFilterGroup;
    } else {
      if (HiddenByOptions(item->ID_FILE_DATA, options)) kind |= kFilterHidden;
      if (item->SubItem_Count() > 0) kind |= kFilterSubItems;
    }
    FFilterKinds[i] = kind;
    FShown[i] = item->ID_VISIBLE ? 1 : 0;
    FFolded[i] = (kind & kFilterGroup) ? std::string() : FoldForFilter(item->ID_FILE_DATA.FD_NAME);
  }
  FFoldedValid = true;
  FFilterOptions = held;  // held, so another snapshot can not come at the same address
}

const uint8_t* TVirtualFolder::ShownMask(const TGroupData& group) const {
  if (!FFoldedValid || group.idPointer < 0) return nullptr;
  const TItemList* items = group.ExistingSubItems();
  const size_t first = size_t(group.idPointer) + 1;
  if (items == nullptr || items->empty() || first + items->size() > FShown.size()) return nullptr;
  // The mask follows the group's items only while they stand right after it, in their order.
  if (items->front()->idPointer != int32_t(first) || items->back()->idPointer != int32_t(first + items->size() - 1))
    return nullptr;
  return FShown.data() + first;
}

void TVirtualFolder::QuickFilter(std::string_view text) {
  if (vfPointers.empty()) return;
  PrepareFilter(config::Options());
  const std::string folded = FoldForFilter(text);
  const std::string_view pattern(folded);
  TGroupData* group = nullptr;
  bool groupShows = false;
  auto closeGroup = [&] {
    if (group != nullptr) group->ID_VISIBLE = groupShows;
  };
  ++FBulk;
  for (size_t i = 0; i < vfPointers.size(); ++i) {
    const uint8_t kind = FFilterKinds[i];
    if (kind & kFilterGroup) {
      closeGroup();
      group = static_cast<TGroupData*>(vfPointers[i].ItemData);
      groupShows = false;
      continue;
    }
    if (kind & kFilterHidden) continue;  // hidden stays hidden, whatever the text
    bool visible = (kind & kFilterSubItems) != 0 && vfPointers[i].ItemData->SubitemFilter(text);
    if (!visible) visible = pattern.empty() || std::string_view(FFolded[i]).find(pattern) != std::string_view::npos;
    // The item is touched only when what it shows changes.
    if (FShown[i] != uint8_t(visible)) {
      vfPointers[i].ItemData->ID_VISIBLE = visible;
      FShown[i] = uint8_t(visible);
    }
    groupShows = groupShows || visible;
  }
  closeGroup();
  --FBulk;
  vfScrollPos = 0;
  Arrange();
}

// ---- Selection ------------------------------------------------------------------------------

void TVirtualFolder::SelectionChanged(const TItemData& item, bool selected) {
  if (IsGroup(&item)) return;
  vfSelCount += selected ? 1 : -1;
  vfSelectedSize += selected ? item.ID_FILE_DATA.FD_SIZE : -item.ID_FILE_DATA.FD_SIZE;
}

void TVirtualFolder::ItemSelect(TItemData* item) {
  if (!ctrl::TSmartCtrl::Live(item)) return;
  item->Select();
  if (item->Selected() && vfSelCount > 1 && vfHolder != nullptr)
    vfHolder->ShowSelectionTip(vfSelCount, vfSelectedSize, item->SC_POS.X + item->ID_WIDTH + 10,
                               item->SC_POS.Y + item->ID_HEIGHT + 10);
}

void TVirtualFolder::ItemDeSelect(TItemData* item) {
  if (ctrl::TSmartCtrl::Live(item)) item->DeSelect();
}

void TVirtualFolder::Items_SelectAll() {
  ++FBulk;
  for (const TItemPointer& entry : vfPointers) entry.ItemData->Select();
  --FBulk;
  ReDraw();
}

void TVirtualFolder::ItemDeSelectAll() {
  ++FBulk;
  for (const TItemPointer& entry : vfPointers) entry.ItemData->DeSelect();
  --FBulk;
  ReDraw();
}

void TVirtualFolder::ToggleSelect(bool select) {
  ++FBulk;
  for (const TItemPointer& entry : vfPointers) {
    if (IsGroup(entry.ItemData)) continue;
    if (select) entry.ItemData->Select();
    else entry.ItemData->DeSelect();
  }
  --FBulk;
  ReDraw();
}

bool TVirtualFolder::SelectedItem(TItemData*& item) const {
  item = nullptr;
  for (const TItemPointer& entry : vfPointers)
    if (!IsGroup(entry.ItemData) && entry.ItemData->Selected()) {
      item = entry.ItemData;
      return true;
    }
  return false;
}

std::vector<std::string> TVirtualFolder::SelectedPaths() const {
  std::vector<std::string> paths;
  if (vfSelCount == 0) return paths;
  for (const TItemPointer& entry : vfPointers)
    if (!IsGroup(entry.ItemData) && entry.ItemData->Selected())
      paths.push_back(entry.ItemData->ID_FILE_DATA.FD_PATH());
  return paths;
}

void TVirtualFolder::BuildMenu(std::vector<std::string>& keys) const {
  for (const TItemPointer& entry : vfPointers) {
    const TItemData* item = entry.ItemData;
    if (IsGroup(item) || !item->Selected()) continue;
    const std::string key(item->ID_MENU().empty() ? std::string_view(item->ID_FILE_DATA.FD_EXT.Text()) : item->ID_MENU());
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
  }
}

// ---- Hover and hit tests --------------------------------------------------------------------

bool TVirtualFolder::ItemAtXY(int x, int y, bool deep, TItemData*& item) const {
  item = nullptr;
  if (vfGroups.empty() || FRows.empty()) return false;
  // Rows are in display order and their tops only grow; a row that holds Y starts at most the
  // tallest row's height above it.
  auto after = std::upper_bound(FRows.begin(), FRows.end(), y,
                                [](int value, const TLayoutRow& row) { return value < row.Top; });
  int best = -1;
  for (auto row = after; row != FRows.begin();) {
    --row;
    if (row->Top < y - FTallestRow) break;
    if (y > row->Bottom) continue;
    for (int i = row->First; i <= row->Last; ++i) {
      TItemData* entry = vfPointers[size_t(i)].ItemData;
      if (!entry->ID_VISIBLE) continue;
      const gfx::TRect r = entry->ItemRect();
      if (r.Left <= x && x <= r.Right && r.Top <= y && y <= r.Bottom) {
        if (best < 0 || i < best) best = i;
        break;
      }
    }
  }
  if (best < 0) return false;
  item = vfPointers[size_t(best)].ItemData;
  if (deep && item->ExistingSubItems() != nullptr)
    if (TItemData* sub = item->SubItemAtXY(x, y)) item = sub;
  return true;
}

bool TVirtualFolder::ItemAtXY(TItemData*& item) const {
  const ctrl::TCtrlManager* manager = ctrl::CtrlManager();
  const gfx::TPoint pos = manager != nullptr ? manager->MousePos() : gfx::TPoint{-1, -1};
  return ItemAtXY(pos.X, pos.Y, false, item);
}

TItemData* TVirtualFolder::ItemAtXY(int x, int y) const {
  TItemData* item = nullptr;
  ItemAtXY(x, y, false, item);
  return item;
}

bool TVirtualFolder::ItemNotify(int x, int y, bool deep, TItemData*& item) {
  TItemData* hit = nullptr;
  ItemAtXY(x, y, deep, hit);
  vfItemTry = hit;
  if (!vfItemTry.Same(vfItemActive.Get())) {
    ItemLeave(static_cast<TItemData*>(vfItemActive.Get()), x, y);
    ItemEnter(hit, x, y);
    vfItemActive = vfItemTry;
  }
  item = static_cast<TItemData*>(vfItemActive.Get());
  if (vfHolder != nullptr && !vfHolder->Scrolling()) ReDraw();
  return item != nullptr;
}

void TVirtualFolder::ItemEnter(TItemData* item, int x, int y) {
  if (!ctrl::TSmartCtrl::Live(item)) return;
  item->On_Enter(x, y);
  if (vfSelCount > 1 && item->Selected() && vfHolder != nullptr)
    vfHolder->ShowSelectionTip(vfSelCount, vfSelectedSize, item->SC_POS.X + item->ID_WIDTH + 10,
                               item->SC_POS.Y + item->ID_HEIGHT + 10);
}

void TVirtualFolder::ItemLeave(TItemData* item, int x, int y) {
  if (!ctrl::TSmartCtrl::Live(item)) return;
  item->On_Leave(x, y);
  if (vfHolder != nullptr) {
    vfHolder->HideSelectionTip();
    vfHolder->HideTip();
  }
}

void TVirtualFolder::Force_ItemLeave() {
  ItemLeave(static_cast<TItemData*>(vfItemActive.Get()), -1, -1);
  TItemData* tried = static_cast<TItemData*>(vfItemTry.Get());
  if (tried != vfItemActive.Get()) ItemLeave(tried, -1, -1);
  vfItemActive = nullptr;
  vfItemTry = nullptr;
}

bool TVirtualFolder::Item_Active(TItemData*& item) const {
  item = static_cast<TItemData*>(vfItemActive.Get());
  return item != nullptr;
}

// ---- File commands --------------------------------------------------------------------------

void TVirtualFolder::File_DeleteSelected() { DeleteSelected(SelectedPaths()); }
void TVirtualFolder::File_CutToClipboard() { CutToClipboard(SelectedPaths()); }
void TVirtualFolder::File_CopyToClipboard() { CopyToClipboard(SelectedPaths()); }

void TVirtualFolder::File_PasteFromClipboard() {
  TItemData* selected = nullptr;
  std::string selectedFolder;
  if (SelectedItem(selected) && selected->Directory()) selectedFolder = selected->ID_FILE_DATA.FD_PATH();
  PasteFromClipboard(PasteTarget(vfPath, selectedFolder));
}

void TVirtualFolder::File_DisplayProperties() { DisplayProperties(SelectedPaths()); }

void TVirtualFolder::File_CreateFolder() {
  const bool moveSelection = config::Options()->General.FolderGroup && vfSelCount > 0;
  CreateFolder(vfPath, moveSelection, moveSelection ? SelectedPaths() : std::vector<std::string>{});
}

void TVirtualFolder::File_OpenInTab() {
  for (const TItemPointer& entry : vfPointers)
    if (!IsGroup(entry.ItemData) && entry.ItemData->Selected()) entry.ItemData->OpenInTab();
}

void TVirtualFolder::OpenInExplorer() {
  if (vfSelCount == 0) {
    std::string error;
    if (!OpenInFileBrowser(vfPath, {}, error) && !error.empty())
      platform::TheDialogs().MessageBox(error, "Norvo", platform::TMsgButtons::mbOk,
                                        platform::TMsgKind::mkError);
    return;
  }
  for (const TItemPointer& entry : vfPointers)
    if (!IsGroup(entry.ItemData) && entry.ItemData->Selected()) entry.ItemData->OpenInExplorer();
}

// ---- Icon tasks -----------------------------------------------------------------------------

void TVirtualFolder::SetIcons(bool) {
  if (vfGlobalStop) return;
  FIcons->Start();
}

void TVirtualFolder::Stop_Icons() { FIcons->Stop(); }

void TVirtualFolder::Sleep() {
  Stop_Icons();
  ResetIcons();
}

void TVirtualFolder::ResetIcons() {
  for (const TItemPointer& entry : vfPointers) entry.ItemData->ResetIcons();
  ReDraw();
}

void TVirtualFolder::GlobalPause() {
  if (vfGlobalStop) return;
  vfGlobalStop = true;
  if (vfPathType != ptQDrive) Stop_Icons();
}

void TVirtualFolder::GlobalResume() {
  if (!vfGlobalStop) return;
  vfGlobalStop = false;
  if (vfPathType != ptQDrive) SetIcons(true);
}

// ---- Self-check -----------------------------------------------------------------------------

bool TVirtualFolder::IsConsistent(std::string* why) const {
  auto fail = [why](std::string text) {
    if (why != nullptr) *why = std::move(text);
    return false;
  };
  size_t place = 0;
  int selected = 0;
  int64_t selectedSize = 0;
  std::unordered_set<const TItemData*> seen;
  auto check = [&](const TItemData& item) -> bool {
    if (!seen.insert(&item).second) return fail("an entry is listed twice: " + item.ID_FILE_DATA.FD_NAME);
    if (place >= vfPointers.size() || vfPointers[place].ItemData != &item)
      return fail("the flat list is not in group order at " + std::to_string(place));
    if (item.idPointer != int32_t(place) || !item.idHasPointer)
      return fail("an entry does not know its place: " + std::to_string(place));
    if (item.idFolder != this) return fail("an entry belongs to another folder");
    ++place;
    return true;
  };
  if (FGroupIndex.size() != vfGroups.size()) return fail("the group index does not match the groups");
  for (const auto& group : vfGroups) {
    const auto found = FGroupIndex.find(group->gdID);
    if (found == FGroupIndex.end() || found->second != group.get()) return fail("group " + group->gdID + " is not indexed");
    if (!check(*group)) return false;
    if (const TItemList* items = group->ExistingSubItems())
      for (const auto& item : *items) {
        if (item->idGroupData != group.get()) return fail("an item names another group: " + item->ID_FILE_DATA.FD_NAME);
        if (!check(*item)) return false;
        if (item->Selected()) {
          ++selected;
          selectedSize += item->ID_FILE_DATA.FD_SIZE;
        }
      }
  }
  for (const auto& item : FUngrouped) {
    if (item->idHasPointer && !check(*item)) return false;
    if (item->Selected()) {
      ++selected;
      selectedSize += item->ID_FILE_DATA.FD_SIZE;
    }
  }
  if (place != vfPointers.size()) return fail("the flat list holds entries of no group");
  if (FFoldedValid) {
    if (FShown.size() != vfPointers.size() || FFolded.size() != vfPointers.size())
      return fail("the quick filter's view does not match the flat list");
    for (size_t i = 0; i < vfPointers.size(); ++i)
      if ((FFilterKinds[i] & kFilterGroup) == 0 && FShown[i] != uint8_t(vfPointers[i].ItemData->ID_VISIBLE))
        return fail("the quick filter's view of " + vfPointers[i].ItemData->ID_FILE_DATA.FD_NAME + " is stale");
  }
  if (FKeyed ? FSortKeys.size() != vfPointers.size() : !FSortKeys.empty())
    return fail("the sort keys do not match the flat list");
  if (selected != vfSelCount) return fail("the selection count is " + std::to_string(vfSelCount) + ", a recount gives " + std::to_string(selected));
  if (selectedSize != vfSelectedSize) return fail("the selection size differs from a recount");
  return true;
}

}  // namespace data
