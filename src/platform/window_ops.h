// The window operations that persistent window state needs of the main window:
// whether it exists and is minimised, its frame rectangle, the desktop, and placement.
#pragma once

#include <cstdint>

namespace vexa {

// {left, top, right, bottom} in screen coordinates; width = right - left.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    // Empty when width or height is 0 or less.
    bool empty() const { return width() <= 0 || height() <= 0; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Shifts `r` into `desktop` without resizing it: right, left, bottom, top in that order, so
// a rectangle larger than the desktop keeps its left or top edge on the desktop's edge.
void clampToDesktop(Rect& r, const Rect& desktop);

// Widens and heightens `r` to at least minWidth x minHeight, keeping its centre (the odd
// pixel goes to the right or bottom).
void enlargeAroundCentre(Rect& r, std::int32_t minWidth, std::int32_t minHeight);

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
