// The tile grid of the palette window as plain arithmetic: layout in a client area, the
// position of each tile, the inverse hit test, the paint plan (what to fill and frame, in
// order) and the client sizes that Shrink to Fit and the minimum size need. The window's
// paint routine is a loop over paintPlan(); nothing here draws.
#pragma once

#include <vector>

#include "base/geometry.h"
#include "base/grid_shape.h"

namespace vexa {

// One step of painting: fill tile `index` with its palette colour, or frame it in black.
struct PaintStep {
    enum class Kind { fill, frame };
    Kind kind = Kind::fill;
    int index = 0;
    Rect rect;  // client coordinates; right and bottom edges are outside
    friend bool operator==(const PaintStep&, const PaintStep&) = default;
};

struct GridGeometry {
    int columns = 256;
    int rows = 1;
    bool border = false;
    int tileWidth = 0;
    int tileHeight = 0;
    int originX = 0;
    int originY = 0;

    // The grid preferences as stored, with an unusable shape replaced by 256 x 1;
    // tile size and origin are 0 until the first layout.
    static GridGeometry fromPreferences(int columns, int rows, bool border);

    // Tile size and origin for a client area of the given size; the grid is centred,
    // the smaller half of the leftover pixels before it. A tile is never narrower or lower
    // than 1 pixel: a client area smaller than columns x rows shows the grid from its
    // top-left corner and cuts it off on the right or at the bottom.
    void layoutGrid(int clientWidth, int clientHeight);

    // Top-left corner of tile i; the tile covers [origin, origin + tile size).
    Point tileOrigin(int i) const;
    Rect tileRect(int i) const;
    // The rectangle that tiles cover; empty when the tile width or height is 0.
    Rect gridRect() const;

    // The palette index of the cell under a client point, or -1 outside the grid. Not
    // limited to entryCount: an unpainted cell still answers with its index.
    int hitTest(int x, int y) const;

    // The fills (and with border on, frames) for the first `entryCount` tiles in paint
    // order: tile by tile, each fill followed by its frame. A frame is the tile rectangle
    // widened by one pixel to the right and down, so neighbours share one black line.
    std::vector<PaintStep> paintPlan(int entryCount) const;

    // The client size that holds the grid with no margin (Shrink to Fit), never below
    // `minimum`.
    Size shrinkTarget(Size minimum = {}) const;
    // The smallest client area that shows every tile at least 1 pixel wide and high.
    Size minimumClient() const { return Size{columns, rows}; }
};

}  // namespace vexa
