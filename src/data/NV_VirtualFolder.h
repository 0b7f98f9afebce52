// The virtual folder: the base of every source of items a tab shows (a real folder, the drives
// view). It owns the items under their group headers, orders and lays them out, scrolls,
// finds the item under the mouse, keeps the selection's count and size, filters by typed
// text, runs the icon tasks and turns file commands into operations on the selection.
//
// Model and view: the folder is the model. Its groups (vfGroups, each owning its items), the
// flat display list (vfPointers: a group, its items, the next group ...) and the rows of the
// layout belong to the interface thread. A listing worker hands over finished entries
// (AddEntries), never a half-filled list; icon workers read an immutable snapshot of the
// sources to load (see TFolderIcons).
//
// Scale: every bulk step is linear or n log n. Grouping finds groups through a hash of their
// identifiers, the flat list is rebuilt in one pass, names sort by precomputed collation keys,
// the selection's count and size are kept as selection changes, and painting and hit tests
// look only at the rows in view (binary search over the rows' positions).
//
// IsConsistent (debug builds) checks the whole model: tests call it after every step.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "config/NV_Settings.h"
#include "ctrl/NV_MouseState.h"
#include "ctrl/NV_Weak.h"
#include "data/NV_FileData.h"
#include "data/NV_FolderLayout.h"
#include "data/NV_FolderHost.h"
#include "data/NV_GroupData.h"
#include "data/NV_ItemData.h"
#include "data/NV_ItemTypes.h"
#include "gfx/Bitmap32.h"
#include "gfx/Font.h"
#include "platform/UiLoop.h"
#include "tasks/NV_TaskManager.h"

namespace data {

class TFolderIcons;

// An entry as a listing hands it over: its facts and, computed on the worker, its name's sort
// key (empty when the worker had none to give).
struct TListedEntry {
  TFileData Data;
  std::string SortKey;
};

// The fonts of the four item states; the folder theme replaces them.
struct TItemFonts {
  gfx::TFont32 Normal, Hot, Sel, HotSel;
};

class TVirtualFolder {
 public:
  using TGroupList = std::vector<std::unique_ptr<TGroupData>>;
  using TItemList = TItemData::TItemList;
  enum class TEnd { First, Last };

  TVirtualFolder(TFolderHost* dataHolder, std::string path);
  virtual ~TVirtualFolder();
  TVirtualFolder(const TVirtualFolder&) = delete;
  TVirtualFolder& operator=(const TVirtualFolder&) = delete;

  const ctrl::TLifeToken& LifeToken() const { return FLife; }

  // ---- Overridable operations, in slot order ------------------------------------------------
  virtual void On_MouseMove(ctrl::TShiftState, int, int) {}
  // Starts (or restarts) the smooth scroll of one wheel notch; Message.Result is 1 when taken.
  virtual void On_MouseWheel(ctrl::TWheelMessage& message);
  virtual void Open() {}
  virtual void OpenInExplorer();
  virtual void Arrange();
  virtual void Arrange_Group(TGroupData&) {}
  virtual void SetIcons(bool force = true);
  virtual void QuickFilter(std::string_view text);
  virtual void UpdateVisible();
  virtual void Items_Resort();
  virtual void GroupItems() {}
  virtual void CalcScroll();
  virtual void ShowContextMenu(int, int) {}
  virtual void BuildMenu(std::vector<std::string>& keys) const;
  virtual void Monitor_Start() {}
  virtual void Monitor_Stop() {}
  virtual void File_DeleteSelected();
  virtual void File_CutToClipboard();
  virtual void File_CopyToClipboard();
  virtual void File_PasteFromClipboard();
  virtual void File_DisplayProperties();
  virtual void File_CreateFolder();
  virtual void File_OpenInTab();

  // ---- Items and groups ---------------------------------------------------------------------
  // Adds listed entries as items: grouped by the folder's mode, sorted, laid out. The bulk form
  // of Item_Add for a whole listing or a batch of one.
  void AddEntries(std::vector<TListedEntry>&& entries);
  // Adds one entry (not yet grouped; Item_SetGroup places it). With Pointer it gets a place in
  // the flat list.
  TItemData* Item_Add(TFileData&& data, bool pointer);
  // Adds the entry at Path when it is there, grouped by the folder's mode: what the change
  // monitor does for a created file.
  TItemData* Item_Add(const std::string& path, bool pointer);
  TItemData* Item_SetGroup(TItemData* item, TGroupMode groupMode);
  // Removes the item whose path is Path (the monitor saw it deleted).
  bool Item_Rem(const std::string& path);
  // The item at OldPath now is at NewPath; with no new path it is read again from its own.
  bool Item_Update(const std::string& oldPath, const std::string& newPath);
  bool Item_Get(int index, TItemData*& item, bool fromPointer) const;
  bool Item_Get(TEnd end, TItemData*& item, bool fromPointer) const;
  bool Item_GetLastVisible(int index, TItemData*& item) const;
  TItemData* Item_ByPath(const std::string& path);
  TGroupData* Group_Add(const std::string& groupID);
  bool Group_Get(int index, TGroupData*& group) const;
  bool Group_Get(const std::string& groupID, TGroupData*& group) const;
  bool Group_Get(TEnd end, TGroupData*& group) const;
  void Group_By(std::string_view text);
  void Group_By(TGroupMode groupMode);
  void Sort_By(TSortMode sortMode, bool ascending);
  void Sort_By(TItemList& list, TSortMode sortMode, bool ascending);
  void UpdatePointers();
  int Count(bool pointers) const { return int(pointers ? vfPointers.size() : vfGroups.size()); }
  // Removes every item and group.
  void Clear();
  // Lets the names' sort keys go: a finished listing calls it, since its keys cost more memory
  // than its items' names. Until then every batch sorts with the keys the listing made; after
  // it, a new sort makes the keys it needs for that sort only.
  void DropSortKeys();

  // ---- Mouse and selection ------------------------------------------------------------------
  // The item under the mouse where the control manager last saw it.
  bool ItemAtXY(TItemData*& item) const;
  bool ItemAtXY(int x, int y, bool deep, TItemData*& item) const;
  TItemData* ItemAtXY(int x, int y) const;
  bool ItemNotify(int x, int y, bool deep, TItemData*& item);
  void ItemEnter(TItemData* item, int x, int y);
  void ItemLeave(TItemData* item, int x, int y);
  void Force_ItemLeave();
  bool Item_Active(TItemData*& item) const;
  void Items_SelectAll();
  void ItemSelect(TItemData* item);
  void ItemDeSelect(TItemData* item);
  void ItemDeSelectAll();
  void ToggleSelect(bool select);
  int SelCount() const { return vfSelCount; }
  bool SelectedItem(TItemData*& item) const;
  // The selected entries' paths in display order, group headers left out.
  std::vector<std::string> SelectedPaths() const;

  // ---- Painting -----------------------------------------------------------------------------
  // Paints the groups and tiles in view; tiles that left the view let go of their view parts.
  void PaintItems(gfx::TBitmap32& target);
  // Paints Group's tiles that are in view (the group header's last stage).
  void PaintGroupItems(TGroupData& group, gfx::TBitmap32& target);
  // The flat-list range of the rows between Top and Bottom (main-view pixels); First > Last
  // when no row is there.
  void RowsBetween(int top, int bottom, int& first, int& last) const;
  const std::vector<TLayoutRow>& Rows() const { return FRows; }

  // ---- Icon tasks ---------------------------------------------------------------------------
  void Stop_Icons();
  void Sleep();
  void ResetIcons();
  void GlobalPause();
  void GlobalResume();

  // Asks the main view to repaint when this folder is what the active tab shows.
  void ReDraw() const;
  // While an update is open nothing asks for repaints, and the hover references are let go.
  void BeginUpdate();
  void EndUpdate();
  // Gives the folder another path; refused (false) while a listing is being built.
  bool SetPath(const std::string& path);
  void Lock() { FLock.lock(); }
  void Unlock() { FLock.unlock(); }
  void SaveParams() {}

  // ---- Comparers ----------------------------------------------------------------------------
  static int CompareName(const TItemData& a, const TItemData& b, bool ascending);
  static int CompareExt(const TItemData& a, const TItemData& b, bool ascending);
  static int CompareSize(const TItemData& a, const TItemData& b, bool ascending);
  static int CompareDates(const TItemData& a, const TItemData& b, bool ascending);
  static int CompareGroups(const TGroupData& a, const TGroupData& b, bool ascending);
  static int CompareGroupsSmart(const TGroupData& a, const TGroupData& b, bool ascending);
  static int SmartGroupRank(std::string_view groupID);

  // ---- Notes from the items (interface thread) ----------------------------------------------
  void SelectionChanged(const TItemData& item, bool selected);
  void ItemRenamed(TItemData& item, const std::string& oldName);
  void NoteOnScreen(TItemData& item);
  void ItemGone(const TItemData& item);
  // Something the quick filter keeps about the entries changed (an item got sub-items, or its
  // visibility was set from outside).
  void FilterStale() { FFoldedValid = false; }
  // What Group's items show, by their order in the group, when the quick filter's view of them
  // is current (the layout then need not look at the hidden ones); none otherwise.
  const uint8_t* ShownMask(const TGroupData& group) const;
  // Layout places Item where it is now: it joins the rows painting and hit tests look at.
  void NoteLaidOut(const TItemData& item);
  const gfx::TFont32& StateFont(TItemSate state) const;

  // The whole model agrees with itself: every item in exactly one group and once in the flat
  // list, the flat list in group order with each entry's place right, the counters equal to a
  // recount. Cheap enough for tests only.
  bool IsConsistent(std::string* why = nullptr) const;

  // ---- Fields -------------------------------------------------------------------------------
  ctrl::Weak<ctrl::TSmartCtrl> vfItemTry;
  ctrl::Weak<ctrl::TSmartCtrl> vfItemActive;
  bool vfCanDraw = true;
  int vfScrollTemp = 0;
  int vfScrollDir = -1;
  std::string vfID;
  std::string vfPath;
  TPathType vfPathType = ptLocal;
  std::string vfDrive;
  int vfScrollPos = 0;
  int vfScrollMax = 0;
  int vfScrollMin = 0;
  TGroupList vfGroups;
  std::vector<TItemPointer> vfPointers;
  std::string vfImagePath;
  TFolderHost* vfHolder = nullptr;
  tasks::TTaskManager vfTaskManager;
  bool vfChanged = true;
  bool vfWorking = false;
  int64_t vfSelectedSize = 0;
  int vfSelCount = 0;
  bool vfGeneralDone = false;
  TGroupMode vfGroupMode = gmNone;
  TSortMode vfSortMode = smName;
  bool vfAscending = true;
  bool vfArranging = false;
  bool vfNeedArrange = true;
  bool vfGlobalStop = false;
  int vfIconThreadCnt = 2;
  TItemFonts vfFonts;

 protected:
  TSharedText SharedPath() const { return FSharedPath; }

 private:
  friend class TFolderIcons;
  // Places items in their groups by the mode, making groups as needed and dropping empty ones.
  void Regroup(TItemList&& items, TGroupMode groupMode);
  TGroupData* GroupFor(const std::string& groupID);
  void RemoveEmptyGroups();
  void SortGroups();
  void WheelStep();
  void ForgetItem(const TItemData& item);
  void TakeOutOfGroup(TItemData& item, std::unique_ptr<TItemData>* owned);
  void FillNewItem(TItemData& item, const config::TOptions& options);
  void ForgetName(const TItemData& item, const std::string& name);
  void PrepareFilter(const std::shared_ptr<const config::TOptions>& options);

  ctrl::TLifeToken FLife;
  std::mutex FLock;  // reserved for subclasses; the model itself belongs to the interface thread
  TSharedText FSharedPath;
  std::unordered_map<std::string, TGroupData*> FGroupIndex;
  TItemList FUngrouped;  // items added but not yet placed in a group
  // The names' sort keys by flat-list place ("" for groups and for names not keyed yet): made
  // by the listing worker, or here on the first sort, and moved along when the list is rebuilt.
  std::vector<std::string> FSortKeys;
  bool FKeyed = false;  // FSortKeys runs beside the flat list
  // Made on the first look-up by path; a name may stand in several folders (search results).
  std::unordered_multimap<std::string, TItemData*> FNameIndex;
  // The quick filter's view of the flat list, by place: the folded names and what else the
  // filter asks of each entry. Made on the first keystroke, kept while the list stays as it is.
  static constexpr uint8_t kFilterGroup = 1, kFilterHidden = 2, kFilterSubItems = 4;
  std::vector<std::string> FFolded;
  std::vector<uint8_t> FFilterKinds;
  std::vector<uint8_t> FShown;  // what each item shows, as the filter last set or found it
  bool FFoldedValid = false;
  std::shared_ptr<const config::TOptions> FFilterOptions;  // the options the kinds were made under
  std::vector<TLayoutRow> FRows;
  int FTallestRow = 0;
  bool FRowsSorted = true;
  std::unordered_set<TItemData*> FOnScreen;  // tiles holding view parts
  std::unordered_set<TItemData*> FDrawn;     // tiles drawn in the paint under way
  bool FPainting = false;
  int FBulk = 0;  // while positive, items do not ask for repaints
  bool FDestroying = false;
  platform::Timer FWheelTimer;
  std::unique_ptr<TFolderIcons> FIcons;
};

}  // namespace data
