// A look at a desktop's display before Vexa decides how to run on it: whether it opens,
// whether its screen is palette based, and how much room its windows have.
#pragma once

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

}  // namespace vexa
