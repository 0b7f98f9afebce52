// An item: one tile of a browsing view (a file, a program, a picture, a folder, a drive or a
// group header). Items are smart controls, but not children of the control manager's tree:
// their folder owns, groups, orders and places them, and the tab's data holder paints them and
// routes the mouse to them.
//
// Light by design (a folder may hold a million): an item carries its entry's facts, its state,
// its place and its group. What only some items need is made on first use and let go again:
// the sub-items and hover references (groups and drives), the icon handles and the caption
// cache (items on or near the screen).
//
// Threads: items belong to the interface thread. Icon workers never touch an item: they load
// the pictures of sources the interface thread named, and publish them through the icon cache.
//
// Hooks are called by the folder and the data holder, in main-view pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ctrl/NV_SmartCtrl.h"
#include "config/NV_Settings.h"
#include "data/NV_FileData.h"
#include "data/NV_FolderHost.h"
#include "data/NV_ItemTypes.h"
#include "data/NV_SharedText.h"
#include "gfx/Bitmap32.h"
#include "gfx/Geometry.h"

namespace ctrl {
class TSkinBuffer;
}

namespace data {

class TFileIcon;
class TGroupData;
struct TCaptionLayout;
class TIconCache;
class TVirtualFolder;

// How an item's icon source is loaded, and from where.
enum class TIconKind : uint8_t {
  ikType,     // the picture of a file type: the theme's, else the desktop's icon for the file
  ikPicture,  // the file's own picture, as a thumbnail
  ikProgram   // the program's own icon
};
using enum TIconKind;

struct TIconRequest {
  std::string SourceKey;  // the cache key: an extension for ikType, the path otherwise
  std::string Path;       // the file to read
  TIconKind Kind = ikType;
};

class TItemData : public ctrl::TSmartCtrl {
  NV_CTRL_CLASS(TItemData, TSmartCtrl)

 public:
  using TItemList = std::vector<std::unique_ptr<TItemData>>;
  using TMouseButton = ctrl::TMouseButton;
  using TShiftState = ctrl::TShiftState;
  ~TItemData() override;

  // ---- Smart-control hooks it overrides ---------------------------------------------------
  void On_Create() override;
  void On_Enter(int x, int y) override;
  void On_Leave(int x, int y) override;
  TSmartCtrl* On_MouseMove(TShiftState shift, int x, int y) override;
  using TSmartCtrl::On_MouseDouble;
  // Paints the four stages in order: back, icon, text, sub-items.
  void On_Paint(gfx::TBitmap32& target) override;

  // ---- Item operations, in slot order -----------------------------------------------------
  virtual void On_PaintItem(gfx::TBitmap32& target);
  virtual void On_PaintIcon(gfx::TBitmap32& target);
  virtual void On_PaintText(gfx::TBitmap32& target);
  virtual void On_PaintSubItem(gfx::TBitmap32& target);
  virtual void On_Select() {}
  // The data holder passes a double click on the item.
  virtual void On_MouseDouble(TFolderHost* holder, TMouseButton button, TShiftState shift, int x,
                              int y);
  virtual void CreateCaption();
  // The entry is a folder that can be listed.
  virtual bool Directory() const;
  // Where the item's "General" icon comes from.
  virtual TIconRequest IconRequest() const;
  virtual void SubItems_Arrange() {}
  virtual std::string GetGroupID(TGroupMode groupMode) const;
  virtual void UpdateSize() {}
  virtual void OpenInTab() {}
  virtual void OpenInExplorer();
  // The text drawn on the tile ("Item :)" until a caption is made).
  virtual std::string_view ID_CAPTION() const;
  // The group identifier text: a group header's own identifier, "<default>" for an item.
  virtual std::string_view ID_GROUP() const { return "<default>"; }
  // The key a context menu is built from; empty for most items, whose extension serves.
  virtual std::string_view ID_MENU() const { return {}; }

  // ---- Icons --------------------------------------------------------------------------------
  // The icon handle DataID, made (with its claim on the source SourceID) when missing. True
  // when it existed; false when it was made now. The cache is the holder's.
  bool AddIconData(const std::string& dataID, const std::string& sourceID, TFileIcon*& fileIcon,
                   TIconCache& sourceList);
  bool FindIconData(std::string_view dataID, TFileIcon*& fileIcon) const;
  // Makes the "General" handle and, when this item's claim made the source, loads its picture
  // on this thread. Interface thread; the folder's icon tasks do the loading on workers.
  void LoadIcon();
  void DrawIcon(std::string_view iconID, gfx::TBitmap32& target, int x, int y, int w, int h);
  void DrawIcon(std::string_view iconID, gfx::TBitmap32& target, const gfx::TRect& rect, int w,
                int h);
  // Drops the scaled copies of the item's icons; the shared pictures stay.
  void ResetIcons();
  // The caption did not fit its tile: the tile shows its start with an ellipsis.
  bool CaptionCut() const;
  // Lets go of what only an item on screen needs: its caption cache and scaled icons.
  void ReleaseViewParts();

  // ---- Sub-items --------------------------------------------------------------------------
  // Made on first use. Whoever gives sub-items to an item of a folder's flat list (not a group
  // header) tells the folder (FilterStale): its quick filter asks such items too.
  TItemList& SubItems();
  const TItemList* ExistingSubItems() const;
  int SubItem_Count(bool onlyVisible = false) const;
  bool SubItem_Get(int index, TItemData*& item) const;
  bool SubItem_GetLastVisible(int position, TItemData*& item) const;
  TItemData* SubItemAtXY(int x, int y) const;
  bool SubItemNotify(int x, int y, TItemData*& item);
  void SubItemEnter(TItemData* item, int x, int y);
  void SubItemLeave(TItemData* item, int x, int y);
  // Quick filter over the sub-items: true when one of them is visible afterwards.
  bool SubitemFilter(std::string_view text);
  void SubItems_Sort();
  void SubItems_Sort(TSortMode sortMode, bool ascending);

  // ---- State and place --------------------------------------------------------------------
  bool Selected() const { return ID_STATE == isSel || ID_STATE == isHotSel; }
  void Select();
  void DeSelect();
  gfx::TRect ItemRect() const;
  bool Showing() const;
  TDataLink DataLink() { return TDataLink{this}; }
  void SetVisible(bool value);
  void SetStyle(TViewStyle style) { ID_STYLE = style; }
  TFolderHost* Holder() const;

  // Gives the entry the name Name in its folder (never replacing anything). The message box
  // "Can not rename: " + path tells of a failure; nothing happens for an empty or the same
  // name. True when renamed.
  bool Rename(const std::string& name);
  // Reads the entry at NewPath afresh; false (and nothing changes) when nothing is there.
  bool UpdateFileData(const std::string& newPath);

  // ---- Fields -----------------------------------------------------------------------------
  // What layout, painting and the filter read come first, next to the control's position, so
  // a walk over many items touches as little memory as it can.
  int ID_WIDTH = 180;
  int ID_HEIGHT = 48;
  TItemSate ID_STATE = isNormal;
  TViewStyle ID_STYLE = vsTile;
  bool ID_VISIBLE = true;
  bool ID_Recent = false;
  bool idHasPointer = false;
  bool idSortAscending = true;
  TSortMode idSortMode = smName;
  TGroupData* idGroupData = nullptr;  // owns this item
  TVirtualFolder* idFolder = nullptr;  // owns the group
  int32_t idPointer = -1;  // the item's place in its folder's flat list
  TFileData ID_FILE_DATA;

 protected:
  TItemData();
  // The caption is the start of the name, this many bytes long.
  void SetCaptionLength(size_t length);
  // The font of the item's state, from the folder's theme.
  const gfx::TFont32* StateFont() const;
  // The caption drawn through the item's own caption cache into Rect.
  void DrawCaption(gfx::TBitmap32& target, const gfx::TRect& rect);
  void GenerateID() override;
  // The handle DrawIcon draws: found, or for "General" made on the tile's first draw.
  TFileIcon* IconToDraw(std::string_view iconID);

 private:
  struct TItemParts;
  TItemParts& ItemParts();
  std::unique_ptr<TItemParts> FItemParts;
  uint16_t FCaptionLength = 0;
  bool FCaptionMade = false;
  void RecentTip(int x, int y);
};

// The recent flag of an entry created at Created: the rounded day span to Now is at most
// Days (either way round).
bool IsRecent(config::TDateTime created, config::TDateTime now, int days);
// The day span rounded to the nearest whole number of days.
int RecentDays(config::TDateTime created, config::TDateTime now);
// The recent tip's text for an entry created at Created.
std::string RecentTipText(config::TDateTime created, config::TDateTime now);
// The caption of Name with the extension hidden: the text after the last "." is cut, the dot
// included, unless a "/", "\\" or ":" follows that dot. Returns the caption's length.
size_t CaptionLengthWithoutExtension(std::string_view name);

// The lower-case form names and filter texts are compared in.
std::string FoldForFilter(std::string_view text);

// The theme pictures of an item's and a group header's back, by state.
std::string_view ItemBackImage(TItemSate state);
std::string_view GroupBackImage(TItemSate state);

// The options items read. While a folder adds many items at once it puts one snapshot in
// effect for all of them (a scope on the interface thread); otherwise each look-up takes the
// options in effect, held in Hold.
class TItemOptionsScope {
 public:
  explicit TItemOptionsScope(const config::TOptions& options);
  ~TItemOptionsScope();
  TItemOptionsScope(const TItemOptionsScope&) = delete;
  TItemOptionsScope& operator=(const TItemOptionsScope&) = delete;

 private:
  const config::TOptions* FOuter;
};
const config::TOptions& ItemOptions(std::shared_ptr<const config::TOptions>& hold);

// An injectable clock for the recent flag and tip: config::Now unless a test sets one.
config::TDateTime ItemClockNow();
void SetItemClock(config::TDateTime (*now)());

}  // namespace data
