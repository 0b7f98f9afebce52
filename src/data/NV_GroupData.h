// A group header: the first tile of a group, whose sub-items are the items of the group. The
// group owns its items; the folder owns its groups.
#pragma once

#include <string>

#include "data/NV_ItemData.h"

namespace data {

class TGroupData : public TItemData {
  NV_CTRL_CLASS(TGroupData, TItemData)

 public:
  void On_Paint(gfx::TBitmap32& target) override;
  void On_PaintItem(gfx::TBitmap32& target) override;
  void On_PaintIcon(gfx::TBitmap32&) override {}
  void On_PaintText(gfx::TBitmap32&) override {}
  // Paints the sub-items in view; the others let go of their scaled icons.
  void On_PaintSubItem(gfx::TBitmap32& target) override;
  void On_MouseDouble(TFolderHost* holder, TMouseButton button, TShiftState shift, int x,
                      int y) override;
  // The localised caption of section "Groups", key gdID, with gdID itself as the default.
  void CreateCaption() override;
  std::string_view ID_CAPTION() const override { return gdCaption; }
  std::string_view ID_GROUP() const override { return gdID; }
  // Lays the items out in rows below the header, wrapping at the right edge of the item area.
  void SubItems_Arrange() override;

  TGroupData* AsItemData() { return this; }
  void Collapse(bool value) { gdCollapsed = value; }

  std::string gdID;
  std::string gdCaption = "Item :)";
  bool gdCollapsed = true;  // while true the group lays its items out
  int gdHeight = 0;         // from the header's top to the bottom of its last row
  int gdZoomValue = 50;     // zoom percentage of picture tiles

 protected:
  void On_Create() override;
};

// The layout constants of tiles: the gaps between them and the margin at the right edge.
inline constexpr int kTileGapX = 30;
inline constexpr int kTileGapY = 30;
inline constexpr int kRightMargin = 15;

}  // namespace data
