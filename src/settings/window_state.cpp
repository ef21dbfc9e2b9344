// Persistent window state: taking the main window's state into the settings when it is
// destroyed, and putting it back where it was when it opens.
#include "platform/window_ops.h"
#include "settings/window_settings.h"

namespace vexa {

namespace {

bool live(const WindowOps* window) {
    return window != nullptr && window->isWindow();
}

}  // namespace

void WindowSettings::captureWindowState(WindowOps* window, bool withBounds, const Rect& lastKnown) {
    if (!live(window)) return;
    bool minimised = window->isMinimised();
    std::int32_t state = minimised ? SW_SHOWMINIMIZED : 0;
    if (state != showState) {
        showState = state;
        modified = true;
    }
    // A minimised window's rectangle is not where it will reappear: keep the loaded bounds.
    if (minimised || !withBounds) return;
    // A window manager that has ended, or is ending, hands the window back to the root
    // without its frame, or leaves it unmapped: that rectangle is not where the user left it.
    if (const std::optional<Rect> r = window->rectAsLeft())
        updateBounds(*r);
    else if (!lastKnown.empty())
        updateBounds(lastKnown);
}

void WindowSettings::updateBounds(const Rect& r) {
    if (bounds == r) return;
    bounds = r;
    modified = true;
}

bool WindowSettings::restoreWindowPlacement(WindowOps* window, std::int32_t minWidth,
                                            std::int32_t minHeight) {
    if (!live(window)) return false;
    if (bounds.width() <= 0 || bounds.height() <= 0) return false;
    Rect r = bounds;
    enlargeAroundCentre(r, minWidth, minHeight);
    clampToDesktop(r, window->desktopRect());
    window->setPosition(r, onTop != 0, 0);
    window->bringToForeground();
    return true;
}

}  // namespace vexa
