// The operations the palette window needs of its own top-level window beyond persistent
// state: whether the window manager has mapped it, the frame around it, the work area, and
// a frame without a maximise button.
#pragma once

#include <functional>
#include <memory>

#include "platform/top_level_window.h"
#include "platform/window_ops.h"

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
    // True once a window manager has taken the window into its frame (also when it keeps
    // the window minimised), or the window is viewable.
    virtual bool framed() const = 0;
    // Shows the window for the first time: creates it, runs `place` while neither the
    // screen nor a window manager has seen it (the no-maximise hints already set), then
    // maps it, so that it appears once, where and as large as `place` made it. True when
    // frameExtents() held the real frame while `place` ran: no window manager, or one
    // that tells its frame before mapping.
    virtual bool showPlaced(const std::function<void()>& place) = 0;
    // The frame the window manager draws around the window.
    virtual FrameExtents frameExtents() const = 0;
    // Asks the window manager for a frame without a maximise button or function; the
    // window stays resizable by its border and can be minimised and closed.
    virtual void removeMaximise() = 0;
    // The screen's work area, or the whole screen without one.
    virtual Rect workArea() const = 0;
};

// The window operations on the top-level window `window`.
std::unique_ptr<MainWindowOps> mainWindowOps(TopLevelWindow& window);

}  // namespace vexa
