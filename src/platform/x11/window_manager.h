// What a program can learn of the window manager on its screen: whether one runs, the
// frame it put around a window, and which window it gives colormap focus.
#pragma once

#include <X11/Xlib.h>

namespace vexa {

// True while a window manager runs on the default screen (it redirects the root's
// substructure).
bool windowManagerRuns(::Display* connection);

// The child of the root that contains `window`: the window itself, or the frame a
// reparenting window manager put around it (the window itself when that cannot be told).
Window topLevelAncestor(::Display* connection, Window window);

// The child of the root whose colormap the window manager installs, or None (no window
// manager, or colormap focus on the desktop). A window manager that announces itself on
// the root (EWMH, as openbox) installs the colormap of the focused window; one that does
// not (twm) that of the window under the pointer. Windows may vanish meanwhile: call it
// inside an XErrorTrap.
Window colormapFocus(::Display* connection);

}  // namespace vexa
