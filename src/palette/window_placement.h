// The arithmetic of sizing and placing the palette window at start-up and on Shrink to
// Fit, on plain rectangles: the default size, the window size around a client area, and
// the centring in the work area.
#pragma once

#include "base/geometry.h"

namespace vexa {

// The space a window takes around its client area: the frame on each side and the menu
// bar above the client area.
struct WindowChrome {
    int left = 0;
    int right = 0;
    int top = 0;  // frame and menu bar
    int bottom = 0;
};

// The first-start window size: a third of the screen's width by an eighth of its height.
Size defaultWindowSize(const Rect& screen);

// The window size whose client area is `client`.
Size windowSizeForClient(Size client, const WindowChrome& chrome);

// Where a window of `size` goes when centred in `workArea`: halves truncated toward zero,
// then pulled back inside, the left and top edges winning when it is larger.
Point centredIn(const Rect& workArea, Size size);

}  // namespace vexa
