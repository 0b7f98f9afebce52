// The main window on GTK 3: a GtkWindow holding one GtkDrawingArea that shows the canvas.
//
// Every GDK event is turned into one WindowEvents call on the interface thread. Presses are
// passed as single presses only (GTK's synthesised double and triple clicks are dropped: the
// control manager decides double clicks itself). Wheel notches are 120 units; smooth scrolling
// is summed into whole notches. Characters come from the input method. Drags from outside are
// reported through the DropTarget, with GTK's "leave before drop" hidden from it.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/WheelAccumulator.h"
#include "platform/Window.h"

namespace platform::gtk {

class TGtkWindow : public Window {
 public:
  TGtkWindow(WindowEvents& events, int clientWidth, int clientHeight);
  ~TGtkWindow() override;

  void SetTitle(const std::string& title) override;
  void Show() override;
  void Close() override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetClientSize(int width, int height) override;
  void SetMinClientSize(int width, int height) override;
  gfx::TPoint Position() const override;
  void SetPosition(int x, int y) override;
  void Maximize() override;
  void Restore() override;
  bool IsMaximized() const override;
  void Present(const gfx::TBitmap32& canvas) override;
  void Invalidate() override;
  void RedrawSync(const std::atomic<bool>* abandon) override;
  void SetCursor(TCursorKind kind) override;
  void SetDropTarget(DropTarget* target) override { FDropTarget = target; }
  TDropEffect StartFileDrag(const std::vector<std::string>& paths, uint8_t allowed) override;

  // Reads back what the display shows in the client area (for screenshots and tests).
  bool CaptureClientArea(gfx::TBitmap32& out) const;
  // The GtkWindow*, for dialogs that must be modal to it.
  void* NativeWindow() const { return FWindow; }

 private:
  struct TSignals;  // the GTK signal handlers, friends of this class
  friend struct TSignals;
  struct TDragIn {
    bool Active = false;          // between the first motion and a leave or drop
    bool HavePaths = false;       // the file list arrived
    bool Dropping = false;        // a drop is waiting for its data
    std::vector<std::string> Paths;
    int X = 0, Y = 0;
    TDropEffect Effect = deNone;
    unsigned LeaveSource = 0;     // pending deferred leave
  };

  void ConnectSignals();
  void* StagingSurfaceFor(int width, int height);  // cairo_surface_t*, or nullptr
  TShiftState PointerShiftState() const;

  WindowEvents& FEvents;
  void* FWindow = nullptr;  // GtkWidget*
  void* FArea = nullptr;    // GtkWidget*
  void* FIm = nullptr;      // GtkIMContext*
  DropTarget* FDropTarget = nullptr;
  void* FPaintContext = nullptr;  // cairo_t* while OnPaint runs
  void* FStaging = nullptr;       // cairo_surface_t* the canvas is copied into for the display
  std::atomic<bool> FInvalidatePending{false};
  std::shared_ptr<std::atomic<bool>> FAlive;  // tells queued idle callbacks the window is gone
  TWheelAccumulator FWheel;  // smooth scrolling not yet a whole notch
  TDragIn FDragIn;
  bool FMaximized = false;
  bool FDestroyed = false;
  int FWidth, FHeight;
  // The drag out in progress.
  std::vector<std::string> FDragOutPaths;
  TDropEffect FDragOutResult = deNone;
  void* FDragOutLoop = nullptr;  // GMainLoop*
};

}  // namespace platform::gtk
