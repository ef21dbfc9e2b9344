// Keeps a top-level window's colormap attribute equal to the colormap installed on the
// screen. A window manager with colormap focus installs the colormap of the window under
// the pointer; a window that follows the installed colormap therefore never changes it
// when it gets that focus, so the screen keeps showing what another client installed.
#pragma once

#include <X11/Xlib.h>

class Fl_Window;

namespace vexa {

class ColormapFollower {
  public:
    // Listens for colormap changes on `window` and the root window, and follows at once.
    ColormapFollower(::Display* connection, Window window);
    ColormapFollower(const ColormapFollower&) = delete;
    ColormapFollower& operator=(const ColormapFollower&) = delete;

    // True when `event` tells that the installed colormap may have changed (a colormap
    // notification for the window or the root window).
    bool isColormapChange(const XEvent& event) const;

    // Sets the window's colormap to the installed one when they differ.
    void follow();

    Window window() const { return window_; }

  private:
    ::Display* connection_;
    Window window_;
    Window root_;
};

// Follows for a shown FLTK window from inside FLTK's event loop (a system handler sees
// every X event first and passes it on). Create it after the window is shown and destroy it
// before the window is hidden.
//
// It follows once the installed colormap has settled for kSettleSeconds: moving the pointer
// from one window to another, a window manager installs the root window's colormap for an
// instant on the way; following that would hand the default colormap to the next
// installation the window manager makes for this window.
class FltkColormapFollower {
  public:
    explicit FltkColormapFollower(Fl_Window& window);
    ~FltkColormapFollower();
    FltkColormapFollower(const FltkColormapFollower&) = delete;
    FltkColormapFollower& operator=(const FltkColormapFollower&) = delete;

    static constexpr double kSettleSeconds = 0.2;

  private:
    static int dispatch(void* event, void* data);
    static void settled(void* data);

    ColormapFollower follower_;
};

}  // namespace vexa
