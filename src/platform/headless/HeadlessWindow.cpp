#include "platform/headless/HeadlessWindow.h"

#include <algorithm>

#include "gfx/Draw.h"
#include "platform/UiLoop.h"

namespace platform::headless {

THeadlessWindow::THeadlessWindow(WindowEvents& events, int clientWidth, int clientHeight)
    : FEvents(events), FWidth(std::max(clientWidth, 1)), FHeight(std::max(clientHeight, 1)) {}

void THeadlessWindow::Close() {
  if (FClosed || !FEvents.OnCloseQuery()) return;
  FClosed = true;
  FEvents.OnDestroyed();
}

void THeadlessWindow::RequestClose() { Close(); }

void THeadlessWindow::SetClientSize(int width, int height) {
  Resize(width, height);
}

void THeadlessWindow::SetMinClientSize(int width, int height) {
  FMin = {std::max(width, 1), std::max(height, 1)};
  if (FWidth < FMin.X || FHeight < FMin.Y) Resize(FWidth, FHeight);
}

void THeadlessWindow::Resize(int width, int height) {
  width = std::max(width, FMin.X);
  height = std::max(height, FMin.Y);
  if (width == FWidth && height == FHeight) return;
  FWidth = width;
  FHeight = height;
  FEvents.OnResize(width, height);
  Invalidate();
}

void THeadlessWindow::Present(const gfx::TBitmap32& canvas) {
  // Like the real window: the client area shows the canvas, white where the canvas ends.
  FPresented.SetSize(FWidth, FHeight);
  FPresented.Clear(gfx::clWhite32);
  gfx::CopyRect(FPresented, 0, 0, canvas, canvas.BoundsRect());
}

void THeadlessWindow::Paint() {
  FInvalid.store(false);
  ++FPaints;
  FEvents.OnPaint(*this);
}

void THeadlessWindow::Invalidate() {
  if (FInvalid.exchange(true)) return;  // a repaint is already on its way
  Post([this, alive = FAlive] {
    if (alive->load() && FInvalid.load()) Paint();
  });
}

void THeadlessWindow::RedrawSync(const std::atomic<bool>* abandon) {
  RunOnUiThread([this] { Paint(); }, abandon);
}

TDropEffect THeadlessWindow::StartFileDrag(const std::vector<std::string>& paths, uint8_t allowed) {
  FDraggedOut = paths;
  return (FDragOutResult & allowed) ? FDragOutResult : deNone;
}

void THeadlessWindow::MouseDown(TMouseButton button, int x, int y, TShiftState shift) {
  FEvents.OnMouseDown(button, shift, x, y);
}

void THeadlessWindow::MouseUp(TMouseButton button, int x, int y, TShiftState shift) {
  FEvents.OnMouseUp(button, shift, x, y);
}

void THeadlessWindow::MouseMove(int x, int y, TShiftState shift) { FEvents.OnMouseMove(shift, x, y); }

void THeadlessWindow::Click(TMouseButton button, int x, int y, TShiftState shift) {
  MouseMove(x, y, shift);
  MouseDown(button, x, y, shift);
  MouseUp(button, x, y, shift);
}

void THeadlessWindow::Wheel(int delta, int x, int y, TShiftState shift) {
  FEvents.OnMouseWheel(delta, shift, x, y);
}

void THeadlessWindow::Type(const std::u32string& text) {
  for (char32_t ch : text) {
    const bool letter = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
    const bool digit = ch >= '0' && ch <= '9';
    const TVirtualKey key = letter ? TVirtualKey(ch & ~0x20u) : digit ? TVirtualKey(ch) : ch == ' ' ? VK_SPACE : 0;
    TShiftState shift;
    if (ch >= 'A' && ch <= 'Z') shift.Bits = TShiftState::ssShift;
    if (key) FEvents.OnKeyDown(key, shift);
    FEvents.OnKeyPress(ch);
    if (key) FEvents.OnKeyUp(key, shift);
  }
}

TDropEffect THeadlessWindow::DragEnter(const std::vector<std::string>& paths, int x, int y, TShiftState shift) {
  return FDropTarget ? FDropTarget->OnDragEnter(paths, x, y, shift) : deNone;
}

TDropEffect THeadlessWindow::DragOver(int x, int y, TShiftState shift) {
  return FDropTarget ? FDropTarget->OnDragOver(x, y, shift) : deNone;
}

void THeadlessWindow::DragLeave() {
  if (FDropTarget) FDropTarget->OnDragLeave();
}

TDropEffect THeadlessWindow::Drop(const std::vector<std::string>& paths, int x, int y, TShiftState shift) {
  return FDropTarget ? FDropTarget->OnDrop(paths, x, y, shift) : deNone;
}

}  // namespace platform::headless
