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

    // Follows when `event` is a colormap notification for the window or the root window;
    // true when it was one. Any other event is left alone.
    bool handleEvent(const XEvent& event);

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
class FltkColormapFollower {
  public:
    explicit FltkColormapFollower(Fl_Window& window);
    ~FltkColormapFollower();
    FltkColormapFollower(const FltkColormapFollower&) = delete;
    FltkColormapFollower& operator=(const FltkColormapFollower&) = delete;

  private:
    static int dispatch(void* event, void* data);

    ColormapFollower follower_;
};

}  // namespace vexa
