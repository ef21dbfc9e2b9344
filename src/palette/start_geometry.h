// Where the palette window goes when the command line asks: an X geometry
// ("WxH+X+Y", either half may be left out) and the -iconic request. The geometry is
// applied like a stored placement, after it, so it wins for that run: the size is the
// window's own (frame excluded), the offsets place the frame's edges from the screen's. It
// is for that run only: the stored placement is not replaced by it.
#pragma once

#include <optional>
#include <string_view>

#include "base/geometry.h"
#include "platform/window_ops.h"

namespace vexa {

struct WindowGeometry {
    std::optional<Size> size;
    // Offsets from the left and top edges, or from the right and bottom ones when the
    // matching flag is set ("-X-Y").
    std::optional<Point> offset;
    bool fromRight = false;
    bool fromBottom = false;
    friend bool operator==(const WindowGeometry&, const WindowGeometry&) = default;
};

struct StartOptions {
    std::optional<WindowGeometry> geometry;
    bool iconic = false;
};

// "[=][WxH][{+-}X{+-}Y]" with W and H above 0; nothing when the text is not such a
// geometry or names neither a size nor a position.
std::optional<WindowGeometry> parseGeometry(std::string_view text);

// The frame rectangle for `geometry`, starting from the window's current `frame` and the
// size of the window inside it: what the geometry leaves out stays as it is.
Rect geometryRect(const WindowGeometry& geometry, const Rect& frame, Size client,
                  const Rect& desktop);

// Moves the placed window, whose frame is `frame` around a window of `client` size, to the
// requested geometry, shifted into the desktop as a stored placement is, and minimises it
// when asked. Nothing happens without a request.
void applyStartOptions(WindowOps& window, const Rect& frame, Size client,
                       const StartOptions& start);

}  // namespace vexa
