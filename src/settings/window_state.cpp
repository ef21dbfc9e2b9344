// Persistent window state: taking the main window's state into the settings when it is
// destroyed, and putting it back where it was when it opens.
#include "platform/window_ops.h"
#include "settings/window_settings.h"

namespace vexa {

namespace {

// Placement flags that leave the z-order or activation alone also leave the foreground alone.
constexpr unsigned keepsForeground = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

bool live(const WindowOps* window) {
    return window != nullptr && window->isWindow();
}

void offset(Rect& r, std::int32_t dx, std::int32_t dy) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

}  // namespace

void clampToDesktop(Rect& r, const Rect& desktop) {
    if (r.right > desktop.right) offset(r, desktop.right - r.right, 0);
    if (r.left < desktop.left) offset(r, desktop.left - r.left, 0);
    if (r.bottom > desktop.bottom) offset(r, 0, desktop.bottom - r.bottom);
    if (r.top < desktop.top) offset(r, 0, desktop.top - r.top);
}

void enlargeAroundCentre(Rect& r, std::int32_t minWidth, std::int32_t minHeight) {
    if (r.width() < minWidth) {
        r.left -= (minWidth - r.width()) / 2;
        r.right = r.left + minWidth;
    }
    if (r.height() < minHeight) {
        r.top -= (minHeight - r.height()) / 2;
        r.bottom = r.top + minHeight;
    }
}

void WindowSettings::captureWindowState(WindowOps* window) {
    if (!live(window)) return;
    bool minimised = window->isMinimised();
    std::int32_t state = minimised ? SW_SHOWMINIMIZED : 0;
    if (state != showState) {
        showState = state;
        modified = true;
    }
    // A minimised window's rectangle is not where it will reappear: keep the loaded bounds.
    if (minimised) return;
    updateBounds(window->windowRect());
}

void WindowSettings::updateBounds(const Rect& r) {
    if (bounds == r) return;
    bounds = r;
    modified = true;
}

bool WindowSettings::restoreWindowPlacement(WindowOps* window, unsigned positionFlags,
                                            bool applyShowState, std::int32_t minWidth,
                                            std::int32_t minHeight) {
    if (!live(window)) return false;
    if (bounds.width() <= 0 || bounds.height() <= 0) return false;
    Rect r = bounds;
    enlargeAroundCentre(r, minWidth, minHeight);
    clampToDesktop(r, window->desktopRect());
    window->setPosition(r, onTop != 0, positionFlags);
    if (applyShowState && showState == SW_SHOWMINIMIZED) window->showMinimised();
    if ((positionFlags & keepsForeground) == 0) window->bringToForeground();
    return true;
}

}  // namespace vexa
