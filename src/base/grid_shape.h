// The shape of the palette grid, and the one rule for a pair of counts the grid can use.
// The stored settings and the grid's layout both go through usableGridShape, so the layout
// never divides by an unusable count.
#pragma once

namespace vexa {

struct GridShape {
    int columns = 256;
    int rows = 1;
    friend bool operator==(const GridShape&, const GridShape&) = default;
};

// True for columns and rows the layout can work with: both at least 1 and
// columns x rows = 256.
bool isUsableGridShape(int columns, int rows);

// The pair when it is usable; anything else (only stored settings can bring it) becomes
// 256 columns and 1 row.
GridShape usableGridShape(int columns, int rows);

}  // namespace vexa
