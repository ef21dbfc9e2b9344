// Plain screen geometry shared by every layer: rectangles in the {left, top, right, bottom}
// form of the window system the program comes from, points and sizes, and the two moves
// that keep a window's rectangle on the desktop.
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

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Shifts `r` into `desktop` without resizing it: right, left, bottom, top in that order, so
// a rectangle larger than the desktop keeps its left or top edge on the desktop's edge.
void clampToDesktop(Rect& r, const Rect& desktop);

// Widens and heightens `r` to at least minWidth x minHeight, keeping its centre (the odd
// pixel goes to the right or bottom).
void enlargeAroundCentre(Rect& r, std::int32_t minWidth, std::int32_t minHeight);

}  // namespace vexa
