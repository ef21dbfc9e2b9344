// The window operations of persistent window state for one FLTK top-level window on
// X11: the frame rectangle (client plus the window manager's frame), the screen and its
// work area, the iconified state, placement, "always on top" and activation.
#pragma once

#include <FL/Fl_Window.H>
#include <X11/Xlib.h>

#include "platform/main_window_ops.h"

namespace vexa {

class X11WindowOps : public MainWindowOps {
  public:
    explicit X11WindowOps(Fl_Window& window) : window_(window) {}

    bool isWindow() const override;
    bool isMinimised() const override;
    // Looked at under a server grab, so that no window manager moves the window between
    // the look and the reading.
    std::optional<Rect> rectAsLeft() const override;
    Rect windowRect() const override;
    Rect desktopRect() const override;
    void setPosition(const Rect& r, bool topmost, unsigned flags) override;
    void showMinimised() override;
    void bringToForeground() override;

    bool viewable() const override;
    bool framed() const override;
    bool showPlaced(const std::function<void()>& place) override;
    // _NET_FRAME_EXTENTS where the window manager gives them, else the reparenting frame's
    // geometry, else nothing.
    FrameExtents frameExtents() const override;
    void removeMaximise() override;
    // _NET_WORKAREA, or the whole screen without one.
    Rect workArea() const override;

  private:
    // In the frame of a running window manager; or viewable at the root on a server that
    // never had a manager, or under one that runs and never framed the window.
    bool standsAsLeft() const;
    void setAbove(bool above);
    // Before the window is mapped: asks the window manager for the frame it will put
    // around it and waits a moment for the answer. True when frameExtents() now holds the
    // frame (also when there is no manager and so no frame).
    bool requestFrameExtents();

    Fl_Window& window_;
    // A reparenting frame's extents, measured once per frame: while the window manager
    // carries out a resize, the frame and the client briefly disagree on their sizes.
    mutable Window measuredFrame_ = 0;
    mutable FrameExtents measuredExtents_;
    // Whether a window manager was seen on the screen, and the window in a frame, this run.
    mutable bool managerSeen_ = false;
    mutable bool framedSeen_ = false;
};

}  // namespace vexa
