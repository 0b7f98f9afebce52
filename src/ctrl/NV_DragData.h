// The record of the drag in progress, kept by the control manager: what is dragged, by whom,
// where, and for drags with other programs the files and the effect. The fields are filled by
// the control that starts the drag and by the main view; this record does nothing itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/Bitmap32.h"
#include "gfx/Geometry.h"
#include "platform/Input.h"

namespace ctrl {

enum class TDragType { dtObject, dtFiles };
using enum TDragType;

enum class TDragResult { drCopy, drMove, drClone };
using enum TDragResult;

// Drop effects for drags with other programs: deCopy, deMove, deNone, deLink.
using TDragEffect = platform::TDropEffect;

class TDragData {
 public:
  TDragType ddType = dtObject;
  TDragResult ddResult = drCopy;
  void* ddSender = nullptr;  // the control that started the drag
  void* ddSource = nullptr;  // what it drags
  gfx::TBitmap32 ddImage{5, 5};
  gfx::TPoint ddPos;
  std::vector<std::string> ddFiles;
  platform::TShiftState ddShift;
  void* ddDataObject = nullptr;  // the other program's data, when it has one
  uint32_t ddKeyState = 0;
  platform::TMouseButton ddButton = platform::TMouseButton::mbLeft;
  gfx::TPoint ddPoint;
  uint32_t dwEffect = 1;

  void AddFile(std::string_view path) { ddFiles.emplace_back(path); }
  void AddObject() {}  // objects travel in ddSource
};

}  // namespace ctrl
