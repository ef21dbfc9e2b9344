// The program's icon as drawing instructions: a raised panel holding 4 x 4 tiles of the
// sixteen standard colours, with a drop shadow. One set of rectangles serves every size:
// the raster pictures of the desktop icon theme and the scalable SVG. At 16 and 32 pixels
// it draws the embedded XPM icons pixel for pixel.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/icon_picture.h"

namespace vexa {

struct IconShape {
    int x = 0, y = 0, width = 0, height = 0;
    std::uint32_t rgb = 0;  // 0xRRGGBB
};

// The opaque rectangles of the icon at `size` pixels square, in drawing order; nothing for
// a size the picture cannot be drawn at (it needs 8 * line + 4 * tile pixels, line being
// size / 32 and at least 1).
std::optional<std::vector<IconShape>> appIconShapes(int size);

// The icon as a picture at `size` pixels; pixels outside every shape are transparent.
std::optional<IconPicture> drawAppIcon(int size);

// The icon as an SVG document, drawn on a 32-unit grid.
std::string appIconSvg();

}  // namespace vexa
