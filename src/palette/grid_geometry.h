// The tile grid of the palette window as plain arithmetic: layout in a client area, the
// position of each tile, the inverse hit test, the paint plan (what to fill and frame, in
// order) and the View commands' choices of columns and rows. The window's paint routine
// is a loop over paintPlan(); nothing here draws.
#pragma once

#include <optional>
#include <vector>

#include "platform/window_ops.h"

namespace vexa {

struct GridShape {
    int columns = 256;
    int rows = 1;
    friend bool operator==(const GridShape&, const GridShape&) = default;
};

// Columns and rows the layout can work with: both at least 1 and columns x rows = 256.
// Anything else (only stored settings can bring it) becomes 256 columns and 1 row.
// GridGeometry::fromPreferences applies it, and the palette window builds its geometry
// from the settings with fromPreferences before any layout, so the layout never divides
// by an unusable value. The window hands the replaced shape back when it closes, which
// repairs the stored values.
GridShape usableGridShape(int columns, int rows);

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

// The View > Set Columns commands.
inline constexpr int ID_VIEW_COLUMNS_8 = 2002;
inline constexpr int ID_VIEW_COLUMNS_16 = 2003;
inline constexpr int ID_VIEW_COLUMNS_32 = 2004;
inline constexpr int ID_VIEW_COLUMNS_64 = 2005;
inline constexpr int ID_VIEW_COLUMNS_128 = 2006;
inline constexpr int ID_VIEW_COLUMNS_256 = 2007;

// The columns and rows a Set Columns command chooses; nullopt for any other command id.
std::optional<GridShape> setColumnsShape(int commandId);

}  // namespace vexa
