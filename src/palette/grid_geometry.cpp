#include "palette/grid_geometry.h"

#include <algorithm>

namespace vexa {

GridGeometry GridGeometry::fromPreferences(int columns, int rows, bool border) {
    const GridShape shape = usableGridShape(columns, rows);
    GridGeometry geometry;
    geometry.columns = shape.columns;
    geometry.rows = shape.rows;
    geometry.border = border;
    return geometry;
}

void GridGeometry::layoutGrid(int clientWidth, int clientHeight) {
    tileHeight = std::max(1, clientHeight / rows);
    tileWidth = std::max(1, clientWidth / columns);
    originY = std::max(0, (clientHeight - rows * tileHeight) / 2);
    originX = std::max(0, (clientWidth - columns * tileWidth) / 2);
}

Size GridGeometry::shrinkTarget(Size minimum) const {
    return Size{std::max(tileWidth * columns, minimum.width),
                std::max(tileHeight * rows, minimum.height)};
}

Point GridGeometry::tileOrigin(int i) const {
    return Point{originX + (i % columns) * tileWidth, originY + (i / columns) * tileHeight};
}

Rect GridGeometry::tileRect(int i) const {
    const Point p = tileOrigin(i);
    return Rect{p.x, p.y, p.x + tileWidth, p.y + tileHeight};
}

Rect GridGeometry::gridRect() const {
    return Rect{originX, originY, originX + tileWidth * columns, originY + tileHeight * rows};
}

int GridGeometry::hitTest(int x, int y) const {
    const Rect grid = gridRect();
    if (grid.empty() || x < grid.left || x >= grid.right || y < grid.top || y >= grid.bottom)
        return -1;
    const int column = (x - originX) / tileWidth;
    const int row = (y - originY) / tileHeight;
    return columns * row + column;
}

std::vector<PaintStep> GridGeometry::paintPlan(int entryCount) const {
    std::vector<PaintStep> plan;
    int index = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns && index < entryCount; ++column, ++index) {
            const Rect tile = tileRect(index);
            plan.push_back(PaintStep{PaintStep::Kind::fill, index, tile});
            if (border) {
                const Rect frame{tile.left, tile.top, tile.right + 1, tile.bottom + 1};
                plan.push_back(PaintStep{PaintStep::Kind::frame, index, frame});
            }
        }
    }
    return plan;
}

}  // namespace vexa
