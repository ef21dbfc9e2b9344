// The window operations that persistent window state needs of the main window:
// whether it exists, is minimised or stands as the user left it, its frame rectangle, the
// desktop, and placement.
#pragma once

#include <optional>

#include "base/geometry.h"

namespace vexa {

// Placement flags, with the values of the window system they come from.
inline constexpr unsigned SWP_NOSIZE = 0x0001;
inline constexpr unsigned SWP_NOMOVE = 0x0002;
inline constexpr unsigned SWP_NOZORDER = 0x0004;
inline constexpr unsigned SWP_NOREDRAW = 0x0008;
inline constexpr unsigned SWP_NOACTIVATE = 0x0010;

class WindowOps {
  public:
    virtual ~WindowOps() = default;
    // True while the handle names a live window.
    virtual bool isWindow() const = 0;
    virtual bool isMinimised() const = 0;
    // windowRect() while the window stands as the user left it: in the frame of the window
    // manager that took it in, or mapped where it was placed when no manager framed it.
    // Nothing when a window manager that ends, or has ended, released it, or it was
    // unmapped: its rectangle is then a passing one.
    virtual std::optional<Rect> rectAsLeft() const = 0;
    // The whole window, frame included, in screen coordinates.
    virtual Rect windowRect() const = 0;
    // The whole primary screen.
    virtual Rect desktopRect() const = 0;
    // Moves and sizes the window to `r` and makes it topmost or not topmost;
    // `flags` are SWP_* values that leave parts of that out.
    virtual void setPosition(const Rect& r, bool topmost, unsigned flags) = 0;
    virtual void showMinimised() = 0;
    virtual void bringToForeground() = 0;
};

}  // namespace vexa
