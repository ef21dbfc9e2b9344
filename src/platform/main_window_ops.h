// The operations the palette window needs of its own top-level window beyond persistent
// state: whether the window manager has mapped it, the frame around it, the work area, and
// a frame without a maximise button.
#pragma once

#include <memory>

#include "platform/window_ops.h"

class Fl_Window;

namespace vexa {

// The widths of the window manager's frame around a client window.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

class MainWindowOps : public WindowOps {
  public:
    // True once the window is mapped and viewable (under a window manager: in its frame).
    virtual bool viewable() const = 0;
    // The frame the window manager draws around the window.
    virtual FrameExtents frameExtents() const = 0;
    // Asks the window manager for a frame without a maximise button or function; the
    // window stays resizable by its border and can be minimised and closed.
    virtual void removeMaximise() = 0;
    // The screen's work area, or the whole screen without one.
    virtual Rect workArea() const = 0;
};

// The window operations on the top-level window `window`.
std::unique_ptr<MainWindowOps> mainWindowOps(Fl_Window& window);

}  // namespace vexa
