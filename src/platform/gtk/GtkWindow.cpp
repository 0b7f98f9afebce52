#include "platform/gtk/GtkWindow.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>

#include "platform/UiLoop.h"
#include "platform/gtk/GtkKeys.h"
#include "platform/gtk/GtkPixbuf.h"

namespace platform::gtk {

namespace {

GtkWidget* W(void* p) { return static_cast<GtkWidget*>(p); }

GdkDragAction ToGdkAction(TDropEffect effect) {
  switch (effect) {
    case deCopy: return GDK_ACTION_COPY;
    case deMove: return GDK_ACTION_MOVE;
    case deLink: return GDK_ACTION_LINK;
    default: return GdkDragAction(0);
  }
}

GdkDragAction ToGdkActions(uint8_t effects) {
  int actions = 0;
  if (effects & deCopy) actions |= GDK_ACTION_COPY;
  if (effects & deMove) actions |= GDK_ACTION_MOVE;
  if (effects & deLink) actions |= GDK_ACTION_LINK;
  return GdkDragAction(actions);
}

TDropEffect FromGdkAction(GdkDragAction action) {
  if (action & GDK_ACTION_MOVE) return deMove;
  if (action & GDK_ACTION_COPY) return deCopy;
  if (action & GDK_ACTION_LINK) return deLink;
  return deNone;
}

// The local paths of the file URIs in a drop; other URIs are left out.
std::vector<std::string> FilePathsOf(GtkSelectionData* selection) {
  std::vector<std::string> paths;
  gchar** uris = gtk_selection_data_get_uris(selection);
  if (!uris) return paths;
  for (gchar** uri = uris; *uri; ++uri) {
    gchar* path = g_filename_from_uri(*uri, nullptr, nullptr);
    if (path) paths.emplace_back(path);
    g_free(path);
  }
  g_strfreev(uris);
  return paths;
}

const char* CursorName(TCursorKind kind) {
  switch (kind) {
    case TCursorKind::ckHand: return "pointer";
    case TCursorKind::ckSizeAll: return "move";
    case TCursorKind::ckSizeWE: return "ew-resize";
    case TCursorKind::ckSizeNS: return "ns-resize";
    case TCursorKind::ckSizeNWSE: return "nwse-resize";
    case TCursorKind::ckSizeNESW: return "nesw-resize";
    case TCursorKind::ckText: return "text";
    case TCursorKind::ckBusy: return "wait";
    default: return "default";
  }
}

bool MouseButtonOf(guint button, TMouseButton& out) {
  switch (button) {
    case 1: out = TMouseButton::mbLeft; return true;
    case 2: out = TMouseButton::mbMiddle; return true;
    case 3: out = TMouseButton::mbRight; return true;
    default: return false;
  }
}

uint8_t ButtonFlag(TMouseButton button) {
  switch (button) {
    case TMouseButton::mbLeft: return TShiftState::ssLeft;
    case TMouseButton::mbRight: return TShiftState::ssRight;
    default: return TShiftState::ssMiddle;
  }
}

// Modifier keys count as held in their own key-down event and as released in their key-up.
uint8_t ModifierFlag(TVirtualKey key) {
  switch (key) {
    case VK_SHIFT: return TShiftState::ssShift;
    case VK_CONTROL: return TShiftState::ssCtrl;
    case VK_MENU: return TShiftState::ssAlt;
    default: return 0;
  }
}

}  // namespace

struct TGtkWindow::TSignals {
  static gboolean Draw(GtkWidget*, cairo_t* cr, TGtkWindow* self) {
    self->FInvalidatePending.store(false);
    self->FPaintContext = cr;
    self->FEvents.OnPaint(*self);
    self->FPaintContext = nullptr;
    return TRUE;
  }

  static void SizeAllocate(GtkWidget*, GdkRectangle* a, TGtkWindow* self) {
    if (a->width == self->FWidth && a->height == self->FHeight) return;
    self->FWidth = a->width;
    self->FHeight = a->height;
    self->FEvents.OnResize(a->width, a->height);
  }

  static gboolean WindowState(GtkWidget*, GdkEventWindowState* e, TGtkWindow* self) {
    self->FMaximized = (e->new_window_state & GDK_WINDOW_STATE_MAXIMIZED) != 0;
    return FALSE;
  }

  static gboolean Delete(GtkWidget*, GdkEvent*, TGtkWindow* self) {
    return self->FEvents.OnCloseQuery() ? FALSE : TRUE;  // TRUE keeps the window
  }

  static void Destroy(GtkWidget*, TGtkWindow* self) {
    self->FDestroyed = true;
    self->FAlive->store(false);
    self->FWindow = self->FArea = nullptr;
    self->FEvents.OnDestroyed();
  }

  static void Realize(GtkWidget* area, TGtkWindow* self) {
    gtk_im_context_set_client_window(GTK_IM_CONTEXT(self->FIm), gtk_widget_get_window(area));
  }

  static gboolean ButtonPress(GtkWidget* area, GdkEventButton* e, TGtkWindow* self) {
    if (e->type != GDK_BUTTON_PRESS) return TRUE;  // synthesised double and triple clicks
    TMouseButton button;
    if (!MouseButtonOf(e->button, button)) return FALSE;
    gtk_widget_grab_focus(area);
    TShiftState shift = ShiftStateOf(e->state);
    shift.Bits |= ButtonFlag(button);
    self->FEvents.OnMouseDown(button, shift, int(e->x), int(e->y));
    return TRUE;
  }

  static gboolean ButtonRelease(GtkWidget*, GdkEventButton* e, TGtkWindow* self) {
    TMouseButton button;
    if (!MouseButtonOf(e->button, button)) return FALSE;
    TShiftState shift = ShiftStateOf(e->state);
    shift.Bits &= uint8_t(~ButtonFlag(button));
    self->FEvents.OnMouseUp(button, shift, int(e->x), int(e->y));
    return TRUE;
  }

  static gboolean Motion(GtkWidget*, GdkEventMotion* e, TGtkWindow* self) {
    self->FEvents.OnMouseMove(ShiftStateOf(e->state), int(e->x), int(e->y));
    return TRUE;
  }

  static gboolean Scroll(GtkWidget*, GdkEventScroll* e, TGtkWindow* self) {
    const TShiftState shift = ShiftStateOf(e->state);
    int notches = 0;
    switch (e->direction) {
      case GDK_SCROLL_UP: notches = 1; break;
      case GDK_SCROLL_DOWN: notches = -1; break;
      case GDK_SCROLL_SMOOTH: notches = self->FWheel.Add(e->delta_y) / 120; break;
      default: return FALSE;
    }
    if (e->direction != GDK_SCROLL_SMOOTH && gdk_event_get_pointer_emulated(reinterpret_cast<GdkEvent*>(e)))
      return TRUE;  // the smooth events of the same motion are already counted
    if (notches != 0) self->FEvents.OnMouseWheel(notches * 120, shift, int(e->x), int(e->y));
    return TRUE;
  }

  static gboolean Crossing(GtkWidget*, GdkEventCrossing* e, TGtkWindow* self) {
    if (e->mode != GDK_CROSSING_NORMAL || e->detail == GDK_NOTIFY_INFERIOR) return FALSE;
    if (e->type == GDK_ENTER_NOTIFY)
      self->FEvents.OnMouseEnter();
    else
      self->FEvents.OnMouseLeave();
    return FALSE;
  }

  static gboolean Focus(GtkWidget*, GdkEventFocus* e, TGtkWindow* self) {
    if (e->in) {
      gtk_im_context_focus_in(GTK_IM_CONTEXT(self->FIm));
      self->FEvents.OnFocusIn();
    } else {
      gtk_im_context_focus_out(GTK_IM_CONTEXT(self->FIm));
      self->FEvents.OnFocusOut();
    }
    return FALSE;
  }

  static gboolean KeyPress(GtkWidget*, GdkEventKey* e, TGtkWindow* self) {
    const TVirtualKey key = VirtualKeyOf(e->keyval, e->hardware_keycode);
    TShiftState shift = ShiftStateOf(e->state);
    shift.Bits |= ModifierFlag(key);
    if (key) self->FEvents.OnKeyDown(key, shift);
    if (self->FDestroyed) return TRUE;
    if (gtk_im_context_filter_keypress(GTK_IM_CONTEXT(self->FIm), e)) return TRUE;
    // Keys the input method does not turn into text but the editors read as characters.
    if (key == VK_BACK) self->FEvents.OnKeyPress(8);
    if (key == VK_RETURN) self->FEvents.OnKeyPress(13);
    if (shift.Ctrl() && !shift.Alt() && key >= 'A' && key <= 'Z') self->FEvents.OnKeyPress(char32_t(key - 'A' + 1));
    return TRUE;  // Tab and the arrows belong to the view, not to GTK's focus navigation
  }

  static gboolean KeyRelease(GtkWidget*, GdkEventKey* e, TGtkWindow* self) {
    const TVirtualKey key = VirtualKeyOf(e->keyval, e->hardware_keycode);
    TShiftState shift = ShiftStateOf(e->state);
    shift.Bits &= uint8_t(~ModifierFlag(key));
    gtk_im_context_filter_keypress(GTK_IM_CONTEXT(self->FIm), e);
    if (key) self->FEvents.OnKeyUp(key, shift);
    return TRUE;
  }

  static void Commit(GtkIMContext*, gchar* text, TGtkWindow* self) {
    for (const gchar* p = text; p && *p; p = g_utf8_next_char(p)) {
      const gunichar ch = g_utf8_get_char_validated(p, -1);
      if (ch == gunichar(-1) || ch == gunichar(-2)) break;
      self->FEvents.OnKeyPress(char32_t(ch));
      if (self->FDestroyed) break;
    }
  }

  // External drags. GTK asks for the data only on request: the first motion of a drag asks for
  // the file list, and the drop target hears of the drag once the list has arrived.
  static gboolean DragMotion(GtkWidget* area, GdkDragContext* ctx, gint x, gint y, guint time, TGtkWindow* self) {
    TDragIn& d = self->FDragIn;
    if (d.LeaveSource) {  // a leave was followed by a motion of the same drag
      g_source_remove(d.LeaveSource);
      d.LeaveSource = 0;
    }
    d.X = x;
    d.Y = y;
    if (!d.Active) {
      d = TDragIn{};
      d.Active = true;
      d.X = x;
      d.Y = y;
      GdkAtom target = gtk_drag_dest_find_target(area, ctx, nullptr);
      if (target != GDK_NONE) gtk_drag_get_data(area, ctx, target, time);
      gdk_drag_status(ctx, GdkDragAction(0), time);
      return TRUE;
    }
    if (!d.HavePaths || d.Paths.empty() || !self->FDropTarget) {
      gdk_drag_status(ctx, GdkDragAction(0), time);
      return TRUE;
    }
    d.Effect = self->FDropTarget->OnDragOver(x, y, self->PointerShiftState());
    gdk_drag_status(ctx, ToGdkAction(d.Effect), time);
    return TRUE;
  }

  static void DataReceived(GtkWidget*, GdkDragContext* ctx, gint x, gint y, GtkSelectionData* selection,
                           guint, guint time, TGtkWindow* self) {
    TDragIn& d = self->FDragIn;
    std::vector<std::string> paths = FilePathsOf(selection);
    const TShiftState shift = self->PointerShiftState();
    if (d.Dropping) {
      TDropEffect effect = deNone;
      if (!paths.empty() && self->FDropTarget) {
        if (!d.HavePaths || d.Paths.empty()) self->FDropTarget->OnDragEnter(paths, x, y, shift);
        effect = self->FDropTarget->OnDrop(paths, x, y, shift);
      }
      d = TDragIn{};
      // The system moves files itself, so the source is never asked to delete anything.
      gtk_drag_finish(ctx, effect != deNone, FALSE, time);
      return;
    }
    if (!d.Active) return;
    d.HavePaths = true;
    d.Paths = std::move(paths);
    d.Effect = deNone;
    if (!d.Paths.empty() && self->FDropTarget) d.Effect = self->FDropTarget->OnDragEnter(d.Paths, d.X, d.Y, shift);
    gdk_drag_status(ctx, ToGdkAction(d.Effect), time);
  }

  static void DragLeave(GtkWidget*, GdkDragContext*, guint, TGtkWindow* self) {
    // GTK sends a leave just before a drop; the leave is held back until it is clear that no
    // drop follows it.
    if (self->FDragIn.Active && !self->FDragIn.LeaveSource)
      self->FDragIn.LeaveSource = g_idle_add(&TSignals::DeferredLeave, self);
  }

  static gboolean DeferredLeave(gpointer data) {
    auto* self = static_cast<TGtkWindow*>(data);
    TDragIn& d = self->FDragIn;
    d.LeaveSource = 0;
    const bool told = d.HavePaths && !d.Paths.empty();
    d = TDragIn{};
    if (told && self->FDropTarget) self->FDropTarget->OnDragLeave();
    return G_SOURCE_REMOVE;
  }

  static gboolean DragDrop(GtkWidget* area, GdkDragContext* ctx, gint x, gint y, guint time, TGtkWindow* self) {
    TDragIn& d = self->FDragIn;
    if (d.LeaveSource) {
      g_source_remove(d.LeaveSource);
      d.LeaveSource = 0;
    }
    GdkAtom target = gtk_drag_dest_find_target(area, ctx, nullptr);
    if (target == GDK_NONE) {
      d = TDragIn{};
      gtk_drag_finish(ctx, FALSE, FALSE, time);
      return TRUE;
    }
    d.Active = true;
    d.Dropping = true;
    d.X = x;
    d.Y = y;
    gtk_drag_get_data(area, ctx, target, time);
    return TRUE;
  }

  // Drags out of the window.
  static void DragDataGet(GtkWidget*, GdkDragContext*, GtkSelectionData* selection, guint, guint,
                          TGtkWindow* self) {
    std::vector<gchar*> uris;
    for (const std::string& path : self->FDragOutPaths) {
      gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
      if (uri) uris.push_back(uri);
    }
    uris.push_back(nullptr);
    gtk_selection_data_set_uris(selection, uris.data());
    for (gchar* uri : uris) g_free(uri);
  }

  static gboolean DragFailed(GtkWidget*, GdkDragContext*, GtkDragResult, TGtkWindow* self) {
    self->FDragOutResult = deNone;
    self->FDragOutPaths.clear();  // marks the drag as failed for DragEnd
    return FALSE;
  }

  static void DragEnd(GtkWidget*, GdkDragContext* ctx, TGtkWindow* self) {
    if (!self->FDragOutPaths.empty()) self->FDragOutResult = FromGdkAction(gdk_drag_context_get_selected_action(ctx));
    if (self->FDragOutLoop) g_main_loop_quit(static_cast<GMainLoop*>(self->FDragOutLoop));
  }
};

TGtkWindow::TGtkWindow(WindowEvents& events, int clientWidth, int clientHeight)
    : FEvents(events),
      FAlive(std::make_shared<std::atomic<bool>>(true)),
      FWidth(std::max(clientWidth, 1)),
      FHeight(std::max(clientHeight, 1)) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* area = gtk_drawing_area_new();
  FWindow = window;
  FArea = area;
  FIm = gtk_im_multicontext_new();
  gtk_widget_set_app_paintable(window, TRUE);  // the canvas covers everything: no theme background
  gtk_window_set_default_size(GTK_WINDOW(window), FWidth, FHeight);
  gtk_container_add(GTK_CONTAINER(window), area);
  gtk_widget_set_can_focus(area, TRUE);
  gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                  GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK | GDK_ENTER_NOTIFY_MASK |
                                  GDK_LEAVE_NOTIFY_MASK | GDK_FOCUS_CHANGE_MASK);
  static const GtkTargetEntry kUriTarget{const_cast<gchar*>("text/uri-list"), 0, 0};
  gtk_drag_dest_set(area, GtkDestDefaults(0), &kUriTarget, 1,
                    GdkDragAction(GDK_ACTION_COPY | GDK_ACTION_MOVE | GDK_ACTION_LINK));
  ConnectSignals();
}

void TGtkWindow::ConnectSignals() {
  GtkWidget* window = W(FWindow);
  GtkWidget* area = W(FArea);
  g_signal_connect(area, "draw", G_CALLBACK(TSignals::Draw), this);
  g_signal_connect(area, "size-allocate", G_CALLBACK(TSignals::SizeAllocate), this);
  g_signal_connect(area, "realize", G_CALLBACK(TSignals::Realize), this);
  g_signal_connect(area, "button-press-event", G_CALLBACK(TSignals::ButtonPress), this);
  g_signal_connect(area, "button-release-event", G_CALLBACK(TSignals::ButtonRelease), this);
  g_signal_connect(area, "motion-notify-event", G_CALLBACK(TSignals::Motion), this);
  g_signal_connect(area, "scroll-event", G_CALLBACK(TSignals::Scroll), this);
  g_signal_connect(area, "enter-notify-event", G_CALLBACK(TSignals::Crossing), this);
  g_signal_connect(area, "leave-notify-event", G_CALLBACK(TSignals::Crossing), this);
  g_signal_connect(area, "drag-motion", G_CALLBACK(TSignals::DragMotion), this);
  g_signal_connect(area, "drag-leave", G_CALLBACK(TSignals::DragLeave), this);
  g_signal_connect(area, "drag-drop", G_CALLBACK(TSignals::DragDrop), this);
  g_signal_connect(area, "drag-data-received", G_CALLBACK(TSignals::DataReceived), this);
  g_signal_connect(area, "drag-data-get", G_CALLBACK(TSignals::DragDataGet), this);
  g_signal_connect(area, "drag-failed", G_CALLBACK(TSignals::DragFailed), this);
  g_signal_connect(area, "drag-end", G_CALLBACK(TSignals::DragEnd), this);
  g_signal_connect(window, "window-state-event", G_CALLBACK(TSignals::WindowState), this);
  g_signal_connect(window, "delete-event", G_CALLBACK(TSignals::Delete), this);
  g_signal_connect(window, "destroy", G_CALLBACK(TSignals::Destroy), this);
  g_signal_connect(window, "key-press-event", G_CALLBACK(TSignals::KeyPress), this);
  g_signal_connect(window, "key-release-event", G_CALLBACK(TSignals::KeyRelease), this);
  g_signal_connect(window, "focus-in-event", G_CALLBACK(TSignals::Focus), this);
  g_signal_connect(window, "focus-out-event", G_CALLBACK(TSignals::Focus), this);
  g_signal_connect(FIm, "commit", G_CALLBACK(TSignals::Commit), this);
}

TGtkWindow::~TGtkWindow() {
  FAlive->store(false);
  if (FDragIn.LeaveSource) g_source_remove(FDragIn.LeaveSource);
  g_signal_handlers_disconnect_by_data(FIm, this);
  if (!FDestroyed && FWindow) {
    g_signal_handlers_disconnect_by_data(FArea, this);
    g_signal_handlers_disconnect_by_data(FWindow, this);
    gtk_widget_destroy(W(FWindow));
  }
  g_object_unref(FIm);
  if (FStaging) cairo_surface_destroy(static_cast<cairo_surface_t*>(FStaging));
}

void TGtkWindow::SetTitle(const std::string& title) {
  if (FWindow) gtk_window_set_title(GTK_WINDOW(FWindow), title.c_str());
}

void TGtkWindow::Show() {
  if (!FWindow) return;
  gtk_widget_show_all(W(FWindow));
  gtk_widget_grab_focus(W(FArea));
}

void TGtkWindow::Close() {
  if (FWindow) gtk_window_close(GTK_WINDOW(FWindow));
}

int TGtkWindow::ClientWidth() const { return FWidth; }
int TGtkWindow::ClientHeight() const { return FHeight; }

void TGtkWindow::SetClientSize(int width, int height) {
  if (FWindow) gtk_window_resize(GTK_WINDOW(FWindow), std::max(width, 1), std::max(height, 1));
}

void TGtkWindow::SetMinClientSize(int width, int height) {
  if (FArea) gtk_widget_set_size_request(W(FArea), std::max(width, 1), std::max(height, 1));
}

gfx::TPoint TGtkWindow::Position() const {
  gint x = 0, y = 0;
  if (FWindow) gtk_window_get_position(GTK_WINDOW(FWindow), &x, &y);
  return {x, y};
}

void TGtkWindow::SetPosition(int x, int y) {
  if (FWindow) gtk_window_move(GTK_WINDOW(FWindow), x, y);
}

void TGtkWindow::Maximize() {
  if (FWindow) gtk_window_maximize(GTK_WINDOW(FWindow));
}

void TGtkWindow::Restore() {
  if (FWindow) gtk_window_unmaximize(GTK_WINDOW(FWindow));
}

bool TGtkWindow::IsMaximized() const {
  return FWindow && (FMaximized || gtk_window_is_maximized(GTK_WINDOW(FWindow)));
}

void* TGtkWindow::StagingSurfaceFor(int width, int height) {
  auto* staging = static_cast<cairo_surface_t*>(FStaging);
  if (staging && cairo_image_surface_get_width(staging) >= width && cairo_image_surface_get_height(staging) >= height)
    return staging;
  if (staging) cairo_surface_destroy(staging);
  FStaging = nullptr;
  GdkWindow* window = FArea ? gtk_widget_get_window(W(FArea)) : nullptr;
  if (!window) return nullptr;
  staging = gdk_window_create_similar_image_surface(window, CAIRO_FORMAT_ARGB32, width, height, 1);
  if (!staging || cairo_surface_status(staging) != CAIRO_STATUS_SUCCESS ||
      cairo_image_surface_get_format(staging) != CAIRO_FORMAT_ARGB32) {
    if (staging) cairo_surface_destroy(staging);
    return nullptr;
  }
  FStaging = staging;
  return staging;
}

void TGtkWindow::Present(const gfx::TBitmap32& canvas) {
  auto* cr = static_cast<cairo_t*>(FPaintContext);
  if (!cr) {  // outside a paint the canvas reaches the screen with the next one
    Invalidate();
    return;
  }
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  const int cw = std::min(canvas.Width(), FWidth), ch = std::min(canvas.Height(), FHeight);
  if (cw < FWidth || ch < FHeight) {  // white where the canvas does not reach
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, cw, 0, FWidth - cw, FHeight);
    cairo_rectangle(cr, 0, ch, cw, FHeight - ch);
    cairo_fill(cr);
  }
  if (cw > 0 && ch > 0) {
    auto* surface = static_cast<cairo_surface_t*>(StagingSurfaceFor(cw, ch));
    if (surface) {
      // The staging surface is shared memory with the display server where it can be: one
      // memcpy here saves the server a copy through the socket.
      cairo_surface_flush(surface);
      unsigned char* to = cairo_image_surface_get_data(surface);
      const int toStride = cairo_image_surface_get_stride(surface);
      for (int y = 0; y < ch; ++y)
        std::memcpy(to + size_t(y) * size_t(toStride), canvas.ScanLine(y), size_t(cw) * 4);
      cairo_surface_mark_dirty(surface);
    } else {
      surface = cairo_image_surface_create_for_data(
          reinterpret_cast<unsigned char*>(const_cast<gfx::TColor32*>(canvas.Bits())), CAIRO_FORMAT_ARGB32,
          canvas.Width(), canvas.Height(), canvas.Stride());
    }
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_rectangle(cr, 0, 0, cw, ch);
    cairo_fill(cr);
    if (surface != FStaging) cairo_surface_destroy(surface);
  }
  cairo_restore(cr);
}

namespace {
struct TInvalidateRequest {
  std::shared_ptr<std::atomic<bool>> Alive;
  GtkWidget* Area;
};

gboolean RunInvalidate(gpointer data) {
  auto* request = static_cast<TInvalidateRequest*>(data);
  if (request->Alive->load()) gtk_widget_queue_draw(request->Area);
  return G_SOURCE_REMOVE;
}

void FreeInvalidate(gpointer data) { delete static_cast<TInvalidateRequest*>(data); }
}  // namespace

void TGtkWindow::Invalidate() {
  if (!FAlive->load() || FInvalidatePending.exchange(true)) return;  // one repaint is on its way
  g_idle_add_full(G_PRIORITY_HIGH_IDLE, RunInvalidate, new TInvalidateRequest{FAlive, W(FArea)}, FreeInvalidate);
}

void TGtkWindow::RedrawSync(const std::atomic<bool>* abandon) {
  RunOnUiThread(
      [this] {
        if (!FArea) return;
        gtk_widget_queue_draw(W(FArea));
        if (GdkWindow* window = gtk_widget_get_window(W(FArea))) {
          G_GNUC_BEGIN_IGNORE_DEPRECATIONS
          gdk_window_process_updates(window, FALSE);  // paints now, before the worker goes on
          G_GNUC_END_IGNORE_DEPRECATIONS
        }
      },
      abandon);
}

void TGtkWindow::SetCursor(TCursorKind kind) {
  if (!FArea) return;
  GdkWindow* window = gtk_widget_get_window(W(FArea));
  if (!window) return;
  GdkCursor* cursor = gdk_cursor_new_from_name(gdk_window_get_display(window), CursorName(kind));
  gdk_window_set_cursor(window, cursor);
  if (cursor) g_object_unref(cursor);
}

TShiftState TGtkWindow::PointerShiftState() const {
  GdkWindow* window = FArea ? gtk_widget_get_window(W(FArea)) : nullptr;
  if (!window) return {};
  GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
  GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
  if (!pointer) return {};
  GdkModifierType mask = GdkModifierType(0);
  gdk_window_get_device_position(window, pointer, nullptr, nullptr, &mask);
  return ShiftStateOf(mask);
}

TDropEffect TGtkWindow::StartFileDrag(const std::vector<std::string>& paths, uint8_t allowed) {
  if (!FArea || paths.empty() || FDragOutLoop || !ToGdkActions(allowed)) return deNone;
  GtkTargetList* targets = gtk_target_list_new(nullptr, 0);
  gtk_target_list_add_uri_targets(targets, 0);
  FDragOutPaths = paths;
  FDragOutResult = deNone;
  GdkEvent* event = gtk_get_current_event();
  GdkDragContext* ctx = gtk_drag_begin_with_coordinates(W(FArea), targets, ToGdkActions(allowed), 1, event, -1, -1);
  if (event) gdk_event_free(event);
  gtk_target_list_unref(targets);
  if (!ctx) return deNone;
  // Like the system's modal drag loop: the call returns when the drop is done.
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  FDragOutLoop = loop;
  g_main_loop_run(loop);
  FDragOutLoop = nullptr;
  g_main_loop_unref(loop);
  FDragOutPaths.clear();
  const TDropEffect result = TDropEffect(FDragOutResult & allowed);
  return result ? result : deNone;
}

bool TGtkWindow::CaptureClientArea(gfx::TBitmap32& out) const {
  GdkWindow* window = FArea ? gtk_widget_get_window(W(FArea)) : nullptr;
  if (!window) return false;
  GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(window, 0, 0, FWidth, FHeight);
  if (!pixbuf) return false;
  PixbufToBitmap(pixbuf, out);
  g_object_unref(pixbuf);
  return true;
}

}  // namespace platform::gtk
