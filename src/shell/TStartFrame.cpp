#include "shell/TStartFrame.h"

#include "gfx/Draw.h"
#include "gfx/Text.h"
#include "platform/UiLoop.h"

namespace shell {

void TStartFrame::OnResize(int width, int height) { FCanvas.SetSize(width, height); }

void TStartFrame::OnDestroyed() { platform::TheUiLoop().Quit(); }

void TStartFrame::OnPaint(platform::Window& window) {
  if (FCanvas.Width() != window.ClientWidth() || FCanvas.Height() != window.ClientHeight())
    FCanvas.SetSize(window.ClientWidth(), window.ClientHeight());
  Draw(FCanvas.Width(), FCanvas.Height());
  window.Present(FCanvas);
}

void TStartFrame::Draw(int width, int height) {
  using namespace gfx;
  FCanvas.Clear(clWhite32);
  // A tab strip, a bar and a few tiles: the shapes the main view will draw from its theme.
  FillRect(FCanvas, {0, 0, width, 36}, Color32FromColor(0xF3EEEA));
  FillRect(FCanvas, {12, 6, 172, 36}, clWhite32);
  FrameRect(FCanvas, {12, 6, 172, 37}, Color32FromColor(0xDCD3CC));
  FillRect(FCanvas, {0, 36, width, 76}, clWhite32);
  Line(FCanvas, 0, 76, width, 76, Color32FromColor(0xE6DFD9));
  FillRect(FCanvas, {12, 44, width - 12, 68}, Color32FromColor(0xF7F4F2));
  FrameRect(FCanvas, {12, 44, width - 12, 68}, Color32FromColor(0xDCD3CC));
  FCanvas.Font() = TFont32{"Calibri", 10, 0x3A3330, false, false};
  const TColor32 accent = Color32FromColor(0xD77800);  // $00BBGGRR: a calm blue
  for (int i = 0; i < 6; ++i) {
    const TRect tile = Bounds(24 + i * 140, 100, 124, 124);
    FillRectBlend(FCanvas, tile.Offset(2, 3), Color32(0, 0, 0, 24));
    FillRect(FCanvas, tile, i == 1 ? Color32FromColor(0xFBEBD9) : Color32FromColor(0xFAF8F7));
    FrameRect(FCanvas, tile, i == 1 ? accent : Color32FromColor(0xE6DFD9));
    FillRect(FCanvas, Bounds(tile.Left + 38, tile.Top + 22, 48, 40), Color32FromColor(0x4AB4F0));
    TextRect(FCanvas, Bounds(tile.Left + 6, tile.Top + 84, 112, 24), i == 1 ? "Holiday photos from the beach" : "Documents",
             {TTextAlign::taCenter, true, true});
  }
  FCanvas.Font() = TFont32{"Calibri", 11, 0x3A3330, false, false};
  TextOut(FCanvas, 22, 12, "Drives");
  TextOut(FCanvas, 20, 48, "QDrive:\\");
  FCanvas.Font() = TFont32{"Calibri", 22, 0x3A3330, true, false};
  TextOut(FCanvas, 24, height - 70, "Norvo");
  FCanvas.Font() = TFont32{"Calibri", 11, 0x7A706A, false, false};
  TextOut(FCanvas, 26, height - 34, "The main view is on its way.");
}

}  // namespace shell
