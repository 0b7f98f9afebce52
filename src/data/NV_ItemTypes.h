// The small types of the browsing model: the enumerations of items and folders, the flat-list
// entry, the selection link and the mouse button state of a data holder.
#pragma once

#include <cstdint>

#include "platform/Input.h"

namespace data {

class TItemData;

// The display state of an item. isCut and isHotCut are declared but nothing sets them.
enum class TItemSate : uint8_t { isNormal, isHot, isSel, isHotSel, isCut, isHotCut };
using enum TItemSate;

enum class TViewStyle : uint8_t { vsIcon, vsTile, vsList, vsQDrive, vsThumb };
using enum TViewStyle;

enum class TSortMode : uint8_t { smName, smSize, smDate, smExt };
using enum TSortMode;

enum class TGroupMode : uint8_t {
  gmNone,
  gmName,
  gmExt,
  gmPath,
  gmSize,
  gmType,
  gmSmart,
  gmModified,
  gmCreated
};
using enum TGroupMode;

enum class TPathType : uint8_t { ptLocal, ptQDrive, ptCDRom, ptRemote, ptRemovable };
using enum TPathType;

// One entry of a folder's flat display list: a group, then its items, then the next group.
// Its index is the item's place in the list (the item keeps it as idPointer).
struct TItemPointer {
  TItemData* ItemData = nullptr;  // owned by its group (or, for a group, by the folder)
};

// Carries an item through a file operation.
struct TDataLink {
  TItemData* DL_ITEM = nullptr;
};

// The mouse buttons a data holder saw pressed, and the shift state with them.
struct TButtonState {
  bool BS_LEFT_DOWN = false;
  bool BS_RIGHT_DOWN = false;
  bool BS_MIDDLE_DOWN = false;
  platform::TShiftState BS_STATE{};
};

}  // namespace data
