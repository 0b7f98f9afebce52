#include "data/NV_ItemData.h"

#include <atomic>
#include <cmath>

#include "base/Ascii.h"
#include "base/Path.h"
#include "config/NV_Format.h"
#include "config/NV_LocaleManager.h"
#include "config/NV_Settings.h"
#include "config/NV_System.h"
#include "ctrl/NV_CtrlManager.h"
#include "ctrl/NV_EventObject.h"
#include "ctrl/NV_SkinBuffer.h"
#include "data/NV_FileIcon.h"
#include "data/NV_FileRules.h"
#include "data/NV_GroupData.h"
#include "data/NV_IconCache.h"
#include "data/NV_IconLoad.h"
#include "data/NV_VirtualFolder.h"
#include "gfx/Text.h"
#include "platform/Dialogs.h"
#include "platform/Fs.h"
#include "platform/Shell.h"
#include "platform/Unicode.h"

namespace data {

// The caption as laid out for a rectangle and a font: every line of it, and the lines an
// unselected tile shows when they do not all fit, the last one ending in an ellipsis.
struct TCaptionLayout {
  ctrl::TTextData Full;
  ctrl::TTextData Shown;
  gfx::TFont32 Font;
  bool Cut = false;
};

// What only some items need: made on first use (see the file's note).
struct TItemData::TItemParts {
  TItemList SubItems;
  ctrl::Weak<ctrl::TSmartCtrl> ItemActive;  // the sub-item under the mouse
  ctrl::Weak<ctrl::TSmartCtrl> ItemTry;     // the sub-item found by the last hit test
  std::vector<std::unique_ptr<TFileIcon>> Icons;
  std::unique_ptr<TCaptionLayout> Caption;  // the laid-out caption
};

namespace {

config::TDateTime (*gItemClock)() = nullptr;

constexpr std::string_view kNoCaption = "Item :)";

TItemData* AsItem(ctrl::TSmartCtrl* control) { return static_cast<TItemData*>(control); }

bool Contains(const TItemData& item, std::string_view text) {
  return text.empty() || FoldForFilter(item.ID_FILE_DATA.FD_NAME).find(text) != std::string::npos;
}

}  // namespace

// ---- Helpers --------------------------------------------------------------------------------

namespace {
thread_local const config::TOptions* gScopedOptions = nullptr;
}  // namespace

TItemOptionsScope::TItemOptionsScope(const config::TOptions& options) : FOuter(gScopedOptions) {
  gScopedOptions = &options;
}
TItemOptionsScope::~TItemOptionsScope() { gScopedOptions = FOuter; }

const config::TOptions& ItemOptions(std::shared_ptr<const config::TOptions>& hold) {
  if (gScopedOptions != nullptr) return *gScopedOptions;
  hold = config::Options();
  return *hold;
}

config::TDateTime ItemClockNow() { return gItemClock != nullptr ? gItemClock() : config::Now(); }
void SetItemClock(config::TDateTime (*now)()) { gItemClock = now; }

int RecentDays(config::TDateTime created, config::TDateTime now) {
  // Ties go to the even number, as the program has always rounded.
  return int(std::nearbyint(std::fabs(now - created)));
}

bool IsRecent(config::TDateTime created, config::TDateTime now, int days) {
  return days >= RecentDays(created, now);
}

std::string RecentTipText(config::TDateTime created, config::TDateTime now) {
  const int days = RecentDays(created, now);
  const std::string label = config::Localized("R.C.I.T.", "Created:", "Created:");
  const std::string day = config::DayText(created, now);
  const std::string time = config::ShortTimeText(created);
  if (days <= 0) return label + " " + day + " (" + time + ")";
  return label + " " + std::to_string(days) + " " +
         config::Localized("R.C.I.T.", "Daysago", "Days ago") + " (" + day + " - " + time + ")";
}

size_t CaptionLengthWithoutExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return name.size();
  if (name.find_first_of("/\\:", dot + 1) != std::string_view::npos) return name.size();
  return dot;
}

std::string FoldForFilter(std::string_view text) { return platform::FoldForSearch(text); }

// ---- Creation and destruction --------------------------------------------------------------


TItemData::TItemData() = default;

TItemData::~TItemData() {
  if (idFolder != nullptr) idFolder->ItemGone(*this);
}

void TItemData::GenerateID() {
  // Unique in the process without a search: a folder may hold more items than five digits
  // can tell apart.
  static std::atomic<uint64_t> next{1};
  SC_ID = "Item" + std::to_string(next.fetch_add(1, std::memory_order_relaxed));
}

void TItemData::On_Create() {
  std::shared_ptr<const config::TOptions> hold;
  const config::TOptions& options = ItemOptions(hold);
  ID_WIDTH = options.Browsing.ItemWidth;
  ID_HEIGHT = options.Browsing.ItemHeight;
  SC_POS = {-200, -200};
}

TItemData::TItemParts& TItemData::ItemParts() {
  if (!FItemParts) FItemParts = std::make_unique<TItemParts>();
  return *FItemParts;
}

// ---- Hover ----------------------------------------------------------------------------------

TFolderHost* TItemData::Holder() const { return idFolder != nullptr ? idFolder->vfHolder : nullptr; }

void TItemData::On_Enter(int x, int y) {
  TSmartCtrl::On_Enter(x, y);
  if (ID_STATE == isNormal) ID_STATE = isHot;
  else if (ID_STATE == isSel) ID_STATE = isHotSel;
  if (idFolder != nullptr) idFolder->ReDraw();
}

void TItemData::On_Leave(int x, int y) {
  TSmartCtrl::On_Leave(x, y);
  if (ID_STATE == isHotSel) ID_STATE = isSel;
  else if (ID_STATE == isHot) ID_STATE = isNormal;
  // Only the sub-item under the mouse can be hot, so it is the one that leaves.
  if (FItemParts) {
    if (TItemData* active = AsItem(FItemParts->ItemActive.Get())) active->On_Leave(-1, -1);
    FItemParts->ItemActive = nullptr;
    FItemParts->ItemTry = nullptr;
  }
  if (idFolder != nullptr) idFolder->ReDraw();
}

ctrl::TSmartCtrl* TItemData::On_MouseMove(TShiftState shift, int x, int y) {
  TSmartCtrl* result = TSmartCtrl::On_MouseMove(shift, x, y);
  TItemData* sub = nullptr;
  if (ExistingSubItems() != nullptr && SubItemNotify(x, y, sub)) sub->On_MouseMove(shift, x, y);
  RecentTip(x, y);
  return result;
}

void TItemData::RecentTip(int x, int y) {
  TFolderHost* holder = Holder();
  if (holder == nullptr) return;
  const auto options = config::Options();
  if (options->Browsing.RCIT && ID_Recent) {
    const bool inCorner = SC_POS.X < x && x < SC_POS.X + 15 && SC_POS.Y < y && y < SC_POS.Y + 15;
    const config::TDateTime now = ItemClockNow();
    if (inCorner && RecentDays(ID_FILE_DATA.FD_TIME_CREATE, now) <= options->Browsing.RCITValue) {
      holder->ShowTip(RecentTipText(ID_FILE_DATA.FD_TIME_CREATE, now), x, y);
      return;
    }
  }
  // A caption cut short shows in full in the tip.
  if (CaptionCut())
    holder->ShowTip(ID_FILE_DATA.FD_NAME, x, y);
  else if (options->Browsing.RCIT && ID_Recent)
    holder->HideTip();
}

// ---- Painting -------------------------------------------------------------------------------

void TItemData::On_Paint(gfx::TBitmap32& target) {
  On_PaintItem(target);
  On_PaintIcon(target);
  On_PaintText(target);
  On_PaintSubItem(target);
}

namespace {

std::string_view BackImage(TItemSate state, bool group) {
  switch (state) {
    case isHot: case isHotCut: return group ? "GroupHotBack" : "ItemHotBack";
    case isSel: return group ? "GroupSelBack" : "ItemSelBack";
    case isHotSel: return group ? "GroupHotSelBack" : "ItemHotSelBack";
    default: return group ? "GroupNormalBack" : "ItemNormalBack";
  }
}

}  // namespace

std::string_view ItemBackImage(TItemSate state) { return BackImage(state, false); }
std::string_view GroupBackImage(TItemSate state) { return BackImage(state, true); }

const gfx::TFont32* TItemData::StateFont() const {
  return idFolder != nullptr ? &idFolder->StateFont(ID_STATE) : nullptr;
}

void TItemData::On_PaintItem(gfx::TBitmap32& target) {
  if (!Showing() || idFolder == nullptr) return;
  if (ctrl::TSkinBuffer* skin = Holder()->Skin())
    skin->DrawImage(ItemBackImage(ID_STATE), target, SC_POS.X, SC_POS.Y, ID_WIDTH, ID_HEIGHT, true);
}

void TItemData::On_PaintIcon(gfx::TBitmap32& target) {
  if (!Showing()) return;
  if (ID_STYLE == vsTile) {
    DrawIcon("General", target, SC_POS.X, SC_POS.Y, SC_HEIGHT, SC_HEIGHT);
  } else {
    TFolderHost* holder = Holder();
    DrawIcon("General", target, SC_POS.X + 5, SC_POS.Y + 5, holder->TestW(), holder->TestH());
  }
  std::shared_ptr<const config::TOptions> hold;
  if (ID_Recent && ItemOptions(hold).Browsing.RCIT)
    if (ctrl::TSkinBuffer* skin = Holder()->Skin())
      skin->DrawImage("ItemNew", target, SC_POS.X - 8, SC_POS.Y - 5, true);
}

void TItemData::On_PaintText(gfx::TBitmap32& target) {
  if (!Showing()) return;
  const gfx::TRect rect = ID_STYLE == vsTile
                              ? gfx::TRect{SC_POS.X + ID_HEIGHT + 10, SC_POS.Y, SC_POS.X + ID_WIDTH,
                                           SC_POS.Y + ID_HEIGHT}
                              : gfx::TRect{SC_POS.X, SC_POS.Y + ID_HEIGHT - 40, SC_POS.X + ID_WIDTH,
                                           SC_POS.Y + ID_HEIGHT};
  DrawCaption(target, rect);
}

namespace {

// The lines that show in a rectangle Height high: each must end above its bottom.
int LinesThatFit(int height, int lineHeight) {
  if (lineHeight <= 0) return 0;
  int count = 0;
  while (int64_t(count + 1) * lineHeight < height) ++count;
  return count;
}

void LayOut(TCaptionLayout& layout, std::string_view caption, const gfx::TRect& rect,
            const gfx::TBitmap32& target) {
  layout.Full.tdText = {std::string(caption)};
  layout.Full.tdTextSrc = layout.Full.tdText;
  layout.Full.tdRect = rect;
  layout.Full.ArrangeText(target);
  layout.Font = target.Font();
  const int fit = LinesThatFit(rect.Height(), layout.Full.tdLineHeight);
  layout.Cut = fit > 0 && int(layout.Full.tdLines.size()) > fit;
  if (!layout.Cut) return;
  // The last line that shows takes the rest of the caption, cut with an ellipsis.
  layout.Shown = layout.Full;
  std::string rest;
  for (size_t i = size_t(fit - 1); i < layout.Full.tdLines.size(); ++i) rest += layout.Full.tdLines[i];
  layout.Shown.tdLines.resize(size_t(fit));
  layout.Shown.tdLines.back() = gfx::EllipsizedText(layout.Font, rest, rect.Width());
}

}  // namespace

void TItemData::DrawCaption(gfx::TBitmap32& target, const gfx::TRect& rect) {
  TItemParts& parts = ItemParts();
  if (!parts.Caption) parts.Caption = std::make_unique<TCaptionLayout>();
  if (const gfx::TFont32* font = StateFont()) target.Font() = *font;
  TCaptionLayout& layout = *parts.Caption;
  const gfx::TRect& laid = layout.Full.tdRect;
  // Laid out again only when the rectangle's size, the caption or the font changes.
  if (laid.Width() != rect.Width() || laid.Height() != rect.Height() || layout.Font != target.Font() ||
      layout.Full.tdText.size() != 1 || layout.Full.tdText[0] != ID_CAPTION())
    LayOut(layout, ID_CAPTION(), rect, target);
  ctrl::TTextParams params;
  params.VCenter = true;
  params.FullDraw = Selected();
  (layout.Cut && !params.FullDraw ? layout.Shown : layout.Full).DrawText(target, rect, params);
  if (idFolder != nullptr) idFolder->NoteOnScreen(*this);
}

bool TItemData::CaptionCut() const {
  return FItemParts != nullptr && FItemParts->Caption != nullptr && FItemParts->Caption->Cut;
}

void TItemData::On_PaintSubItem(gfx::TBitmap32& target) {
  if (FItemParts == nullptr) return;
  for (const auto& sub : FItemParts->SubItems)
    if (sub->ID_VISIBLE && sub->Showing()) sub->On_Paint(target);
}

// ---- Opening and captions -------------------------------------------------------------------

void TItemData::On_MouseDouble(TFolderHost*, TMouseButton, TShiftState, int, int) {}

std::string_view TItemData::ID_CAPTION() const {
  if (!FCaptionMade) return kNoCaption;
  return std::string_view(ID_FILE_DATA.FD_NAME).substr(0, FCaptionLength);
}

void TItemData::SetCaptionLength(size_t length) {
  FCaptionLength = uint16_t(std::min<size_t>(length, ID_FILE_DATA.FD_NAME.size()));
  FCaptionMade = true;
  if (FItemParts && FItemParts->Caption) FItemParts->Caption.reset();  // laid out anew
}

void TItemData::CreateCaption() {
  const std::string& name = ID_FILE_DATA.FD_NAME;
  std::shared_ptr<const config::TOptions> hold;
  SetCaptionLength(ItemOptions(hold).Browsing.HideFileExtension ? CaptionLengthWithoutExtension(name)
                                                                 : name.size());
  if (idFolder != nullptr) idFolder->ReDraw();
}

bool TItemData::Directory() const { return config::FolderHasEntries(ID_FILE_DATA.FD_PATH()); }

TIconRequest TItemData::IconRequest() const {
  return TIconRequest{ID_FILE_DATA.FD_EXT.Text(), ID_FILE_DATA.FD_PATH(), ikType};
}

std::string TItemData::GetGroupID(TGroupMode groupMode) const {
  switch (groupMode) {
    case gmNone: return "default";
    case gmName: {
      const std::string& name = ID_FILE_DATA.FD_NAME;
      // The first character is the first code point, so a name never splits inside one.
      return base::AsciiUpperCase(gfx::CodePointPrefix(name, 1));
    }
    case gmExt: return base::AsciiUpperCase(ID_FILE_DATA.FD_EXT.Text());
    case gmPath: return base::AsciiUpperCase(ID_FILE_DATA.FD_PATH());
    case gmSmart: return "Others";
    default: return "<NA>";
  }
}

void TItemData::OpenInExplorer() {
  std::string error;
  platform::TheShell().ShowInFileBrowser({ID_FILE_DATA.FD_PATH()}, error);
}

// ---- Icons ----------------------------------------------------------------------------------

bool TItemData::FindIconData(std::string_view dataID, TFileIcon*& fileIcon) const {
  fileIcon = nullptr;
  if (FItemParts == nullptr) return false;
  for (const auto& icon : FItemParts->Icons)
    if (icon->fiID == dataID) {
      fileIcon = icon.get();
      return true;
    }
  return false;
}

bool TItemData::AddIconData(const std::string& dataID, const std::string& sourceID,
                            TFileIcon*& fileIcon, TIconCache& sourceList) {
  if (FindIconData(dataID, fileIcon)) return true;
  auto icon = std::make_unique<TFileIcon>(dataID, sourceList.FindOrInsert(sourceID, SC_ID));
  icon->fiItemData = this;
  icon->fiFolder = idFolder;
  if (idFolder != nullptr) {
    TVirtualFolder* folder = idFolder;
    icon->OnRepaint = [folder] { folder->ReDraw(); };
  }
  fileIcon = icon.get();
  ItemParts().Icons.push_back(std::move(icon));
  return false;
}

void TItemData::LoadIcon() {
  TFolderHost* holder = Holder();
  if (holder == nullptr) return;
  const TIconRequest request = IconRequest();
  TFileIcon* icon = nullptr;
  if (AddIconData("General", request.SourceKey, icon, holder->IconCache())) return;
  if (icon->fiSourceData && NeedsLoad(*icon->fiSourceData))
    LoadIconSource(request, *icon->fiSourceData, holder->IconCache(), holder->Thumbnails());
}

TFileIcon* TItemData::IconToDraw(std::string_view iconID) {
  TFileIcon* icon = nullptr;
  if (FindIconData(iconID, icon)) return icon;
  if (iconID != "General" || Holder() == nullptr) return nullptr;
  // The handle is made when the tile first shows; the folder's icon tasks load its source.
  AddIconData("General", IconRequest().SourceKey, icon, Holder()->IconCache());
  return icon;
}

void TItemData::DrawIcon(std::string_view iconID, gfx::TBitmap32& target, int x, int y, int w, int h) {
  TFileIcon* icon = IconToDraw(iconID);
  if (icon == nullptr) return;
  try {
    icon->Draw(target, x, y, w, h);
  } catch (...) {
    // A failing draw leaves the tile without its icon this time.
  }
  if (idFolder != nullptr) idFolder->NoteOnScreen(*this);
}

void TItemData::DrawIcon(std::string_view iconID, gfx::TBitmap32& target, const gfx::TRect& rect,
                         int w, int h) {
  TFileIcon* icon = IconToDraw(iconID);
  if (icon == nullptr) return;
  try {
    icon->Draw(target, rect, w, h);
  } catch (...) {
  }
  if (idFolder != nullptr) idFolder->NoteOnScreen(*this);
}

void TItemData::ResetIcons() {
  if (FItemParts == nullptr) return;
  for (const auto& icon : FItemParts->Icons) {
    if (icon->fiResizing || icon->fiDoneReset || !icon->fiSourceData || !icon->fiSourceData->sdLoaded)
      continue;
    icon->fiReseting = true;
    icon->fiDoneReset = true;
    icon->Reset();
    icon->fiWidth = 0;
    icon->fiHeight = 0;
    icon->fiReseting = false;
  }
}

void TItemData::ReleaseViewParts() {
  if (FItemParts == nullptr) return;
  FItemParts->Caption.reset();
  // The handles go too: the decoded pictures stay in the shared cache, and a handle is made
  // again when the tile shows.
  FItemParts->Icons.clear();
  if (FItemParts->SubItems.empty() && !FItemParts->ItemActive && !FItemParts->ItemTry)
    FItemParts.reset();
}

// ---- Sub-items --------------------------------------------------------------------------------

TItemData::TItemList& TItemData::SubItems() { return ItemParts().SubItems; }

const TItemData::TItemList* TItemData::ExistingSubItems() const {
  return FItemParts != nullptr ? &FItemParts->SubItems : nullptr;
}

int TItemData::SubItem_Count(bool onlyVisible) const {
  const TItemList* items = ExistingSubItems();
  if (items == nullptr) return 0;
  if (!onlyVisible) return int(items->size());
  int count = 0;
  for (const auto& item : *items) count += item->ID_VISIBLE ? 1 : 0;
  return count;
}

bool TItemData::SubItem_Get(int index, TItemData*& item) const {
  item = nullptr;
  const TItemList* items = ExistingSubItems();
  if (items == nullptr || index < 0 || index >= int(items->size())) return false;
  item = (*items)[size_t(index)].get();
  return Live(item);
}

bool TItemData::SubItem_GetLastVisible(int position, TItemData*& item) const {
  item = nullptr;
  const TItemList* items = ExistingSubItems();
  if (items == nullptr) return false;
  for (int i = std::min(position, int(items->size())) - 1; i >= 0; --i)
    if ((*items)[size_t(i)]->ID_VISIBLE) {
      item = (*items)[size_t(i)].get();
      return true;
    }
  return false;
}

TItemData* TItemData::SubItemAtXY(int x, int y) const {
  const TItemList* items = ExistingSubItems();
  if (items == nullptr || Holder() == nullptr) return nullptr;
  for (const auto& item : *items) {
    const gfx::TRect r = item->ItemRect();
    if (item->ID_VISIBLE && r.Left <= x && x <= r.Right && r.Top <= y && y <= r.Bottom)
      return item.get();
  }
  return nullptr;
}

bool TItemData::SubItemNotify(int x, int y, TItemData*& item) {
  TItemParts& parts = ItemParts();
  parts.ItemTry = SubItemAtXY(x, y);
  if (!parts.ItemTry.Same(parts.ItemActive.Get())) {
    if (TItemData* old = AsItem(parts.ItemActive.Get())) SubItemLeave(old, x, y);
    if (TItemData* fresh = AsItem(parts.ItemTry.Get())) SubItemEnter(fresh, x, y);
    parts.ItemActive = parts.ItemTry;
  }
  item = AsItem(parts.ItemActive.Get());
  return item != nullptr;
}

void TItemData::SubItemEnter(TItemData* item, int x, int y) {
  if (Live(item)) item->On_Enter(x, y);
}

void TItemData::SubItemLeave(TItemData* item, int x, int y) {
  if (Live(item)) item->On_Leave(x, y);
}

bool TItemData::SubitemFilter(std::string_view text) {
  const TItemList* items = ExistingSubItems();
  if (items == nullptr) return false;
  const auto options = config::Options();
  const std::string folded = FoldForFilter(text);
  bool any = false;
  for (const auto& item : *items) {
    if (HiddenByOptions(item->ID_FILE_DATA, *options)) continue;
    item->ID_VISIBLE = Contains(*item, folded);
    any = any || item->ID_VISIBLE;
  }
  return any;
}

void TItemData::SubItems_Sort() { SubItems_Sort(idSortMode, idSortAscending); }

void TItemData::SubItems_Sort(TSortMode sortMode, bool ascending) {
  idSortMode = sortMode;
  idSortAscending = ascending;
  if (idFolder != nullptr && FItemParts != nullptr)
    idFolder->Sort_By(FItemParts->SubItems, sortMode, ascending);
}

// ---- State and place --------------------------------------------------------------------------

void TItemData::Select() {
  if (Selected()) return;
  ID_STATE = isSel;
  if (idFolder != nullptr) idFolder->SelectionChanged(*this, true);
}

void TItemData::DeSelect() {
  if (ID_STATE == isNormal) return;
  const bool was = Selected();
  ID_STATE = isNormal;
  if (idFolder != nullptr) {
    if (was) idFolder->SelectionChanged(*this, false);
    idFolder->ReDraw();
  }
}

void TItemData::SetVisible(bool value) {
  ID_VISIBLE = value;
  if (idFolder != nullptr) idFolder->FilterStale();
}

gfx::TRect TItemData::ItemRect() const {
  return {SC_POS.X, SC_POS.Y, SC_POS.X + ID_WIDTH, SC_POS.Y + ID_HEIGHT};
}

bool TItemData::Showing() const {
  const TFolderHost* holder = Holder();
  return holder != nullptr && ID_VISIBLE && SC_POS.Y <= holder->HostHeight() && SC_POS.Y + ID_HEIGHT >= 0;
}

// ---- Changes on disk ----------------------------------------------------------------------------

bool TItemData::Rename(const std::string& name) {
  TFileData& data = ID_FILE_DATA;
  if (name.empty() || name == data.FD_NAME) return false;
  const std::string oldPath = data.FD_PATH();
  const platform::Fs::TFsResult result = platform::Fs::Rename(oldPath, name);
  if (!result) {
    platform::TheDialogs().MessageBox(
        config::Localized("Messages", "CannotRename", "Can not rename: ") + oldPath, "Norvo",
        platform::TMsgButtons::mbOk, platform::TMsgKind::mkError);
    return false;
  }
  const std::string oldName = data.FD_NAME;
  data.FD_NAME = name;
  data.FD_EXT = TSharedText(data.FD_DIRECTORY ? std::string(".folder") : config::NameExtension(name));
  CreateCaption();
  if (idFolder != nullptr) idFolder->ItemRenamed(*this, oldName);
  return true;
}

bool TItemData::UpdateFileData(const std::string& newPath) {
  platform::Fs::TFileEntry entry;
  if (!platform::Fs::Stat(newPath, entry)) return false;
  const std::string oldName = ID_FILE_DATA.FD_NAME;
  const TSharedText folder(base::WithTrailingSlash(base::ParentOf(newPath)));
  const TSharedText oldFolder = ID_FILE_DATA.FD_DIR;
  ID_FILE_DATA = TFileData::FromEntry(folder, entry);
  CreateCaption();
  if (idFolder != nullptr && (oldName != ID_FILE_DATA.FD_NAME || !(oldFolder == folder)))
    idFolder->ItemRenamed(*this, oldName);
  return true;
}

}  // namespace data
