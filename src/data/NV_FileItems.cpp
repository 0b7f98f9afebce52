#include "data/NV_FileItems.h"

#include <cmath>

#include "config/NV_System.h"
#include "data/NV_GroupData.h"
#include "data/NV_VirtualFolder.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"

namespace data {

namespace {

bool IsPictureExtension(const std::string& ext) {
  return ext == ".jpg" || ext == ".jpeg" || ext == ".ico" || ext == ".bmp" || ext == ".png";
}

// An execute bit makes a program of a file whose name says nothing else: no extension, or one
// that programs and scripts carry. Mounts without permissions (FAT, NTFS) mark every file
// executable, and a text file there must still open as text.
bool ProgramExtension(const std::string& ext) {
  static const char* const kProgram[] = {"", ".sh", ".bash", ".py", ".pl", ".rb", ".run", ".bin",
                                         ".appimage", ".x86_64", ".out"};
  for (const char* each : kProgram)
    if (ext == each) return true;
  return false;
}

}  // namespace

TItemClass ItemClassOf(const TFileData& data) {
  const std::string& ext = data.FD_EXT;
  if (ext == ".folder") return icFolder;
  if (IsPictureExtension(ext)) return icGraphic;
  if (ext == ".desktop" || (data.FD_EXECUTABLE && ProgramExtension(ext))) return icExecutable;
  return icFile;
}

std::unique_ptr<TItemData> MakeItem(TItemClass itemClass) {
  switch (itemClass) {
    case icFolder: return ctrl::TSmartCtrl::Create<TFolderItem>();
    case icGraphic: return ctrl::TSmartCtrl::Create<TGraphicItem>();
    case icExecutable: return ctrl::TSmartCtrl::Create<TExecutableItem>();
    case icFile: break;
  }
  return ctrl::TSmartCtrl::Create<TFileItem>();
}

// ---- TFileItem ------------------------------------------------------------------------------

void TFileItem::On_MouseDouble(TFolderHost*, TMouseButton button, TShiftState, int, int) {
  if (button != TMouseButton::mbLeft) return;
  std::string error;
  if (!platform::TheShell().Open(ID_FILE_DATA.FD_PATH(), error) && !error.empty())
    platform::TheDialogs().MessageBox(error, "Norvo", platform::TMsgButtons::mbOk,
                                      platform::TMsgKind::mkError);
}

// ---- Pictures and programs -------------------------------------------------------------------

void DrawPreviewIcon(TItemData& item, gfx::TBitmap32& target) {
  if (!item.Showing()) return;
  const gfx::TPoint p = item.SC_POS;
  if (item.ID_STYLE == vsTile) {
    const gfx::TRect square{p.X, p.Y, p.X + item.ID_HEIGHT, p.Y + item.ID_HEIGHT};
    item.DrawIcon("General", target, square, item.ID_HEIGHT, item.ID_HEIGHT);
  } else if (item.ID_STYLE == vsThumb) {
    const gfx::TRect box{p.X, p.Y, p.X + item.ID_WIDTH, p.Y + item.ID_HEIGHT - 60};
    item.DrawIcon("General", target, box, box.Right - box.Left, box.Bottom - box.Top);
  }
}

void TGraphicItem::On_Create() {
  TFileItem::On_Create();
  ID_STYLE = vsThumb;
}

void TGraphicItem::On_PaintIcon(gfx::TBitmap32& target) { DrawPreviewIcon(*this, target); }

TIconRequest TGraphicItem::IconRequest() const {
  const std::string path = ID_FILE_DATA.FD_PATH();
  return TIconRequest{path, path, ikPicture};
}

std::string TGraphicItem::GetGroupID(TGroupMode groupMode) const {
  return groupMode == gmSmart ? "Previewable" : TItemData::GetGroupID(groupMode);
}

void TGraphicItem::UpdateSize() {
  if (idGroupData == nullptr) return;
  idGroupData->gdZoomValue = 100;
  const double zoom = idGroupData->gdZoomValue * 0.01;
  const bool tile = ID_STYLE == vsTile;
  ID_WIDTH = int(std::lround(zoom * (tile ? 255 : 220)));
  ID_HEIGHT = int(std::lround(zoom * (tile ? 96 : 255)));
}

void TExecutableItem::On_MouseDouble(TFolderHost* holder, TMouseButton button, TShiftState shift, int x,
                                     int y) {
  // A launcher starts through the desktop, like any file it opens.
  if (ID_FILE_DATA.FD_EXT == ".desktop") return TFileItem::On_MouseDouble(holder, button, shift, x, y);
  if (button != TMouseButton::mbLeft) return;
  std::string error;
  if (!platform::TheShell().Launch(ID_FILE_DATA.FD_PATH(), {}, ID_FILE_DATA.FD_DIR.Text(), error))
    platform::TheDialogs().MessageBox(error.empty() ? "Can not start " + ID_FILE_DATA.FD_PATH() : error, "Norvo",
                                      platform::TMsgButtons::mbOk, platform::TMsgKind::mkError);
}

void TExecutableItem::On_PaintIcon(gfx::TBitmap32& target) { DrawPreviewIcon(*this, target); }

TIconRequest TExecutableItem::IconRequest() const {
  const std::string path = ID_FILE_DATA.FD_PATH();
  return TIconRequest{path, path, ikProgram};
}

std::string TExecutableItem::GetGroupID(TGroupMode groupMode) const {
  return groupMode == gmSmart ? "Executables" : TItemData::GetGroupID(groupMode);
}

// ---- TFolderItem -----------------------------------------------------------------------------

void TFolderItem::On_MouseDouble(TFolderHost* holder, TMouseButton button, TShiftState, int, int) {
  if (button != TMouseButton::mbLeft || holder == nullptr) return;
  const std::string path = ID_FILE_DATA.FD_PATH();
  if (holder->HolderKind() == hkFiles) {
    if (config::FolderHasEntries(path)) holder->NavigateTo(path);
  } else if (holder->HolderKind() == hkSearch) {
    holder->OpenInNewTab(path);
  }
}

void TFolderItem::CreateCaption() {
  SetCaptionLength(ID_FILE_DATA.FD_NAME.size());
  if (idFolder != nullptr) idFolder->ReDraw();
}

std::string TFolderItem::GetGroupID(TGroupMode groupMode) const {
  return groupMode == gmSmart ? "Folder" : TItemData::GetGroupID(groupMode);
}

void TFolderItem::OpenInTab() {
  if (TFolderHost* holder = Holder()) holder->OpenInNewTab(ID_FILE_DATA.FD_PATH());
}

}  // namespace data
