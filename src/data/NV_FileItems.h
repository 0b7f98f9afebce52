// The item classes of files and folders, and which class an entry gets.
//
//   TFileItem        any file no other class takes; its icon is its file type's
//   TGraphicItem     a previewable picture (".jpg", ".jpeg", ".ico", ".bmp", ".png"): a
//                    thumbnail tile
//   TExecutableItem  a program: a regular file with an execute permission bit and no extension
//                    or a program's or script's one, or a ".desktop" launcher (a file named
//                    ".exe" is an ordinary file here)
//   TFolderItem      a folder
#pragma once

#include <memory>
#include <string>

#include "data/NV_ItemData.h"

namespace data {

class TFileItem : public TItemData {
  NV_CTRL_CLASS(TFileItem, TItemData)

 public:
  // A left double click opens the file with its default application.
  void On_MouseDouble(TFolderHost* holder, TMouseButton button, TShiftState shift, int x,
                      int y) override;
};

class TGraphicItem : public TFileItem {
  NV_CTRL_CLASS(TGraphicItem, TFileItem)

 public:
  void On_PaintIcon(gfx::TBitmap32& target) override;
  TIconRequest IconRequest() const override;
  std::string GetGroupID(TGroupMode groupMode) const override;
  // The tile takes the size of its group's zoom (fixed at 100).
  void UpdateSize() override;

 protected:
  void On_Create() override;
};

class TExecutableItem : public TFileItem {
  NV_CTRL_CLASS(TExecutableItem, TFileItem)

 public:
  // A left double click starts the program (a launcher through the desktop).
  void On_MouseDouble(TFolderHost* holder, TMouseButton button, TShiftState shift, int x,
                      int y) override;
  void On_PaintIcon(gfx::TBitmap32& target) override;
  TIconRequest IconRequest() const override;
  std::string GetGroupID(TGroupMode groupMode) const override;
};

class TFolderItem : public TItemData {
  NV_CTRL_CLASS(TFolderItem, TItemData)

 public:
  // A left double click browses into the folder, or opens it in a tab from a search.
  void On_MouseDouble(TFolderHost* holder, TMouseButton button, TShiftState shift, int x,
                      int y) override;
  void CreateCaption() override;  // the whole name
  std::string_view ID_MENU() const override { return "FOLDER"; }
  std::string GetGroupID(TGroupMode groupMode) const override;
  void OpenInTab() override;
};

enum class TItemClass : uint8_t { icFile, icGraphic, icExecutable, icFolder };
using enum TItemClass;

// The class of an entry with these facts.
TItemClass ItemClassOf(const TFileData& data);
std::unique_ptr<TItemData> MakeItem(TItemClass itemClass);

// The picture and program icon drawn for a tile: into the square at its left for tile style,
// above the caption for thumbnail style; other styles draw none.
void DrawPreviewIcon(TItemData& item, gfx::TBitmap32& target);

}  // namespace data
