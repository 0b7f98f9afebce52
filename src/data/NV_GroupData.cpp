#include "data/NV_GroupData.h"

#include "config/NV_Format.h"
#include "config/NV_LocaleManager.h"
#include "ctrl/NV_SkinBuffer.h"
#include "data/NV_VirtualFolder.h"
#include "gfx/Text.h"

namespace data {

void TGroupData::On_Create() {
  TItemData::On_Create();
  gdID = "Group" + config::RandomDigits();
}

void TGroupData::CreateCaption() {
  gdCaption = config::Localized("Groups", gdID, gdID);
  if (idFolder != nullptr) idFolder->ReDraw();
}

void TGroupData::On_Paint(gfx::TBitmap32& target) {
  On_PaintItem(target);
  On_PaintSubItem(target);
}

void TGroupData::On_PaintItem(gfx::TBitmap32& target) {
  TFolderHost* holder = Holder();
  if (holder == nullptr || SC_POS.Y > holder->HostHeight() || SC_POS.Y + ID_HEIGHT < 0) return;
  if (ctrl::TSkinBuffer* skin = holder->Skin())
    skin->DrawImage(GroupBackImage(ID_STATE), target, SC_POS.X, SC_POS.Y, ID_WIDTH, ID_HEIGHT, true);
  if (const gfx::TFont32* font = StateFont()) target.Font() = *font;
  gfx::TTextFormat format;
  format.Align = gfx::TTextAlign::taCenter;
  format.VCenter = true;
  format.EndEllipsis = true;
  const gfx::TRect rect{SC_POS.X + 40, SC_POS.Y, SC_POS.X + ID_WIDTH, SC_POS.Y + ID_HEIGHT};
  gfx::TextRect(target, rect, gdCaption, format);
}

void TGroupData::On_PaintSubItem(gfx::TBitmap32& target) {
  // The folder paints only the rows in view (it knows where they are) and lets tiles that
  // left the view go; see TVirtualFolder::PaintGroupItems.
  if (idFolder != nullptr) idFolder->PaintGroupItems(*this, target);
}

void TGroupData::On_MouseDouble(TFolderHost*, TMouseButton, TShiftState, int, int) { Collapse(true); }

void TGroupData::SubItems_Arrange() {
  const TItemList* items = ExistingSubItems();
  TFolderHost* holder = Holder();
  if (items == nullptr || items->empty() || !gdCollapsed || holder == nullptr) return;
  const gfx::TRect area = holder->ItemArea();
  const int rightEdge = (area.Right - area.Left) - kRightMargin;
  int rowMax = 0;
  const TItemData* prev = nullptr;
  // With the quick filter's view of the items, hidden ones are passed without reading them.
  const uint8_t* shown = idFolder != nullptr ? idFolder->ShownMask(*this) : nullptr;
  for (size_t k = 0; k < items->size(); ++k) {
    if (shown != nullptr && shown[k] == 0) continue;
    TItemData& item = *(*items)[k];
    if (!item.ID_VISIBLE) continue;
    bool wrapped = false;
    if (prev != nullptr) {
      int x = prev->SC_POS.X + kTileGapX + prev->ID_WIDTH;
      int y = prev->SC_POS.Y;
      rowMax = std::max(rowMax, prev->ID_HEIGHT);
      // The position is measured from the view's left edge, the width from Area.Left.
      if (x + kTileGapX + item.ID_WIDTH > rightEdge) {
        x = area.Left;
        y = prev->SC_POS.Y + kTileGapY + rowMax;
        wrapped = true;
      }
      item.SC_POS = {x, y};
    } else {
      item.SC_POS = {SC_POS.X, SC_POS.Y + SC_HEIGHT};
      rowMax = std::max(rowMax, item.ID_HEIGHT);
    }
    item.UpdateSize();
    if (idFolder != nullptr) idFolder->NoteLaidOut(item);
    gdHeight = item.SC_POS.Y + rowMax - SC_POS.Y;
    if (wrapped) rowMax = 0;
    prev = &item;
  }
}

}  // namespace data
