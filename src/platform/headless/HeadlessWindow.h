// The test backend's window: it presents into a bitmap the test reads, and the test injects
// every kind of input, which reaches the sink exactly as the GTK backend delivers it.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/Window.h"

namespace platform::headless {

class THeadlessWindow : public Window {
 public:
  THeadlessWindow(WindowEvents& events, int clientWidth, int clientHeight);
  ~THeadlessWindow() override { FAlive->store(false); }

  void SetTitle(const std::string& title) override { FTitle = title; }
  void Show() override { FShown = true; }
  void Close() override;
  int ClientWidth() const override { return FWidth; }
  int ClientHeight() const override { return FHeight; }
  void SetClientSize(int width, int height) override;
  void SetMinClientSize(int width, int height) override;
  gfx::TPoint Position() const override { return FPosition; }
  void SetPosition(int x, int y) override { FPosition = {x, y}; }
  void Maximize() override { FMaximized = true; }
  void Restore() override { FMaximized = false; }
  bool IsMaximized() const override { return FMaximized; }
  void Present(const gfx::TBitmap32& canvas) override;
  void Invalidate() override;
  void RedrawSync(const std::atomic<bool>* abandon) override;
  void SetCursor(TCursorKind kind) override { FCursor = kind; }
  void SetDropTarget(DropTarget* target) override { FDropTarget = target; }
  TDropEffect StartFileDrag(const std::vector<std::string>& paths, uint8_t allowed) override;

  // What the test reads.
  const std::string& Title() const { return FTitle; }
  bool Shown() const { return FShown; }
  bool Closed() const { return FClosed; }
  TCursorKind Cursor() const { return FCursor; }
  const gfx::TBitmap32& Presented() const { return FPresented; }
  int PaintCount() const { return FPaints; }
  const std::vector<std::string>& DraggedOut() const { return FDraggedOut; }
  // The effect the next drag out "performs", as a drop target in another program would decide.
  void SetDragOutResult(TDropEffect effect) { FDragOutResult = effect; }
  gfx::TPoint MinClientSize() const { return FMin; }

  // Input injection; call on the interface thread.
  void MouseDown(TMouseButton button, int x, int y, TShiftState shift = {});
  void MouseUp(TMouseButton button, int x, int y, TShiftState shift = {});
  void MouseMove(int x, int y, TShiftState shift = {});
  void Click(TMouseButton button, int x, int y, TShiftState shift = {});
  void Wheel(int delta, int x, int y, TShiftState shift = {});
  void MouseEnter() { FEvents.OnMouseEnter(); }
  void MouseLeave() { FEvents.OnMouseLeave(); }
  void FocusIn() { FEvents.OnFocusIn(); }
  void FocusOut() { FEvents.OnFocusOut(); }
  void KeyDown(TVirtualKey key, TShiftState shift = {}) { FEvents.OnKeyDown(key, shift); }
  void KeyUp(TVirtualKey key, TShiftState shift = {}) { FEvents.OnKeyUp(key, shift); }
  void Char(char32_t ch) { FEvents.OnKeyPress(ch); }
  // Key down, the characters of Text, key up: typing plain text.
  void Type(const std::u32string& text);
  // A resize from outside (the user drags the frame); the sink hears OnResize.
  void Resize(int width, int height);
  // Closing from outside (the window's close button).
  void RequestClose();

  // External drags over the window; each returns what the drop target answered.
  TDropEffect DragEnter(const std::vector<std::string>& paths, int x, int y, TShiftState shift = {});
  TDropEffect DragOver(int x, int y, TShiftState shift = {});
  void DragLeave();
  TDropEffect Drop(const std::vector<std::string>& paths, int x, int y, TShiftState shift = {});

 private:
  void Paint();

  WindowEvents& FEvents;
  std::string FTitle;
  int FWidth, FHeight;
  gfx::TPoint FMin{1, 1};
  gfx::TPoint FPosition;
  bool FShown = false, FClosed = false, FMaximized = false;
  TCursorKind FCursor = TCursorKind::ckDefault;
  DropTarget* FDropTarget = nullptr;
  gfx::TBitmap32 FPresented;
  int FPaints = 0;
  std::atomic<bool> FInvalid{false};
  // Tells a repaint still queued when the window goes that there is nothing to paint.
  std::shared_ptr<std::atomic<bool>> FAlive = std::make_shared<std::atomic<bool>>(true);
  std::vector<std::string> FDraggedOut;
  TDropEffect FDragOutResult = deNone;
};

}  // namespace platform::headless
