// A look at a desktop's display before Vexa decides how to run on it: whether it opens,
// whether its screen is palette based, and how much room its windows have.
#pragma once

#include <chrono>
#include <string>

#include "base/geometry.h"

namespace vexa {

struct DesktopFacts {
    bool opened = false;
    bool paletteBased = false;
    bool render = false;  // the server has the Render extension
    // The work area the desktop names (_NET_WORKAREA), or the whole screen.
    Size area;
};

// Opens `displayName`, looks, and closes it again.
DesktopFacts probeDesktop(const std::string& displayName);

// Waits until a window manager runs on `displayName` (it redirects the root's children), at
// most `limit`; false when none came. A window shown before its manager takes the screen is
// framed later, around where it already stands, and grows by the frame.
bool awaitWindowManager(const std::string& displayName, std::chrono::milliseconds limit);

}  // namespace vexa
