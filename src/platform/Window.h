// The main window: one client area that shows the system's off-screen canvas, and the input
// that arrives in it. A backend creates it (CreateMainWindow in its backend header) and delivers
// every event to a WindowEvents sink on the interface thread.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "gfx/Bitmap32.h"
#include "platform/Input.h"
#include "platform/Keys.h"

namespace platform {

class Window;

// Receives the window's events, on the interface thread. Coordinates are client pixels.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;

  // The window needs its content: paint the canvas and call Window::Present with it.
  virtual void OnPaint(Window& window) = 0;
  virtual void OnResize(int clientWidth, int clientHeight) { (void)clientWidth, (void)clientHeight; }
  // The user asks to close the window; return false to keep it open.
  virtual bool OnCloseQuery() { return true; }
  // The window is gone (closed, or its display went away); the program ends its loop here.
  virtual void OnDestroyed() {}

  // Every press is reported as a single press: double clicks are the receiver's decision.
  virtual void OnMouseDown(TMouseButton, TShiftState, int x, int y) { (void)x, (void)y; }
  virtual void OnMouseUp(TMouseButton, TShiftState, int x, int y) { (void)x, (void)y; }
  virtual void OnMouseMove(TShiftState, int x, int y) { (void)x, (void)y; }
  // Delta is 120 per wheel notch, positive away from the user (scroll up).
  virtual void OnMouseWheel(int delta, TShiftState, int x, int y) { (void)delta, (void)x, (void)y; }
  virtual void OnMouseEnter() {}
  virtual void OnMouseLeave() {}
  virtual void OnFocusIn() {}
  virtual void OnFocusOut() {}

  virtual void OnKeyDown(TVirtualKey, TShiftState) {}
  virtual void OnKeyUp(TVirtualKey, TShiftState) {}
  // A typed character, as a Unicode code point, after the input method (dead keys, compose).
  virtual void OnKeyPress(char32_t) {}
};

// Receives drags of file lists from outside over the window. Each call returns the effect the
// drop would have (or had): one of deCopy, deMove, deLink or deNone.
class DropTarget {
 public:
  virtual ~DropTarget() = default;
  virtual TDropEffect OnDragEnter(const std::vector<std::string>& paths, int x, int y, TShiftState) = 0;
  virtual TDropEffect OnDragOver(int x, int y, TShiftState) = 0;
  // The drag left the window without a drop. Never reported for a drop.
  virtual void OnDragLeave() = 0;
  virtual TDropEffect OnDrop(const std::vector<std::string>& paths, int x, int y, TShiftState) = 0;
};

class Window {
 public:
  virtual ~Window() = default;

  virtual void SetTitle(const std::string& title) = 0;
  virtual void Show() = 0;
  virtual void Close() = 0;  // asks OnCloseQuery, then destroys the window

  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  virtual void SetClientSize(int width, int height) = 0;
  virtual void SetMinClientSize(int width, int height) = 0;
  // Best effort: some display servers place windows themselves.
  virtual gfx::TPoint Position() const = 0;
  virtual void SetPosition(int x, int y) = 0;
  virtual void Maximize() = 0;
  virtual void Restore() = 0;
  virtual bool IsMaximized() const = 0;

  // Shows Canvas in the client area in one piece; called from OnPaint. Canvas pixels beyond the
  // client area are cut, client pixels beyond the canvas are white.
  virtual void Present(const gfx::TBitmap32& canvas) = 0;
  // Asks for an OnPaint soon. Any thread; a burst of calls makes one repaint.
  virtual void Invalidate() = 0;
  // Repaints now and returns when done. Any thread; on a worker it waits for the interface
  // thread (abandoned when Abandon turns true, as RunOnUiThread).
  virtual void RedrawSync(const std::atomic<bool>* abandon = nullptr) = 0;

  virtual void SetCursor(TCursorKind kind) = 0;

  // Registers (or with nullptr revokes) the receiver of file drags from outside.
  virtual void SetDropTarget(DropTarget* target) = 0;
  // Starts dragging files out of the window from the current pointer; Allowed is a mask of
  // TDropEffect values. Returns the effect the target performed, deNone when nothing accepted.
  virtual TDropEffect StartFileDrag(const std::vector<std::string>& paths, uint8_t allowed) = 0;
};

}  // namespace platform
