#include "palette/grid_geometry.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

GridGeometry laidOut(int columns, int rows, int width, int height, bool border = false) {
    GridGeometry g = GridGeometry::fromPreferences(columns, rows, border);
    g.layoutGrid(width, height);
    return g;
}

TEST(GridGeometryTest, LayoutCentresTheGridAndHitTestInvertsIt) {
    GridGeometry wide = laidOut(256, 1, 300, 100);
    EXPECT_EQ((Rect{wide.originX, wide.originY, wide.tileWidth, wide.tileHeight}),
              (Rect{22, 0, 1, 100}));
    GridGeometry g = laidOut(16, 16, 165, 170);
    EXPECT_EQ((Rect{g.originX, g.originY, g.tileWidth, g.tileHeight}), (Rect{2, 5, 10, 10}));
    EXPECT_EQ(g.hitTest(2, 5), 0);
    EXPECT_EQ(g.hitTest(161, 164), 255);
    EXPECT_EQ(g.hitTest(162, 100), -1);
    EXPECT_EQ(g.hitTest(1, 5), -1);
    EXPECT_EQ(g.hitTest(100, 165), -1);
    for (int i = 0; i < 256; ++i) {
        const Point p = g.tileOrigin(i);
        EXPECT_EQ(g.hitTest(p.x, p.y), i);
        EXPECT_EQ(g.hitTest(p.x + 9, p.y + 9), i);
    }
    EXPECT_EQ(laidOut(16, 16, 160, 160).hitTest(159, 19), 31);  // beyond a 16-entry palette
}

TEST(GridGeometryTest, TooSmallClientKeepsOnePixelTilesFromTheTopLeftCorner) {
    // 250 pixels for 256 columns: the grid starts at the left edge and the last six tiles
    // lie beyond the client area; hits still find the tiles that show.
    GridGeometry g = laidOut(256, 1, 250, 100, true);
    EXPECT_EQ((Rect{g.originX, g.originY, g.tileWidth, g.tileHeight}), (Rect{0, 0, 1, 100}));
    EXPECT_EQ(g.hitTest(0, 50), 0);
    EXPECT_EQ(g.hitTest(249, 50), 249);
    EXPECT_EQ(g.paintPlan(256).back(),
              (PaintStep{PaintStep::Kind::frame, 255, {255, 0, 257, 101}}));
    // A minimised window's empty client area.
    GridGeometry none = laidOut(16, 16, 0, 0);
    EXPECT_EQ((Rect{none.originX, none.originY, none.tileWidth, none.tileHeight}),
              (Rect{0, 0, 1, 1}));
    EXPECT_EQ(none.hitTest(0, 0), 0);
    EXPECT_EQ(none.hitTest(16, 0), -1);
}

TEST(GridGeometryTest, ShrinkToFitKeepsAtLeastOnePixelPerTileAndTheGivenMinimum) {
    GridGeometry g = laidOut(256, 1, 200, 10);
    EXPECT_EQ(g.minimumClient(), (Size{256, 1}));
    EXPECT_EQ(g.shrinkTarget(g.minimumClient()), (Size{256, 10}));
    // Room for a menu bar wider than the grid.
    g = laidOut(8, 32, 20, 40);
    EXPECT_EQ(g.shrinkTarget({180, 32}), (Size{180, 32}));
    EXPECT_EQ(laidOut(8, 32, 400, 100).shrinkTarget({180, 32}), (Size{400, 96}));
}

TEST(GridGeometryTest, PaintPlanFollowsTileOrderAndEntryCount) {
    GridGeometry g = laidOut(16, 16, 165, 170);
    auto plan = g.paintPlan(16);
    ASSERT_EQ(plan.size(), 16u);
    EXPECT_EQ(plan[15], (PaintStep{PaintStep::Kind::fill, 15, Rect{152, 5, 162, 15}}));
    g.border = true;
    plan = g.paintPlan(256);
    ASSERT_EQ(plan.size(), 512u);
    for (int i = 0; i < 256; ++i) {
        const Point p = g.tileOrigin(i);
        EXPECT_EQ(plan[2 * i],
                  (PaintStep{PaintStep::Kind::fill, i, {p.x, p.y, p.x + 10, p.y + 10}}));
        EXPECT_EQ(plan[2 * i + 1],
                  (PaintStep{PaintStep::Kind::frame, i, {p.x, p.y, p.x + 11, p.y + 11}}));
    }
}

TEST(GridGeometryTest, ShrinkToFitRemovesTheMargins) {
    GridGeometry g = GridGeometry::fromPreferences(16, 16, false);
    g.layoutGrid(300, 100);
    EXPECT_EQ((Rect{g.originX, g.originY, g.tileWidth, g.tileHeight}), (Rect{6, 2, 18, 6}));
    EXPECT_EQ(g.shrinkTarget(), (Size{288, 96}));
    g.layoutGrid(288, 96);
    EXPECT_EQ((Point{g.originX, g.originY}), (Point{0, 0}));
}

TEST(GridGeometryTest, UnusableStoredShapesBecome256By1) {
    for (auto [c, r] : {std::pair{0, 1}, std::pair{256, 0}, std::pair{-16, -16}, std::pair{16, 8},
                        std::pair{16777217, 256}})
        EXPECT_EQ(usableGridShape(c, r), (GridShape{256, 1})) << c << "x" << r;
    EXPECT_EQ(usableGridShape(2, 128), (GridShape{2, 128}));
    GridGeometry g = GridGeometry::fromPreferences(0, 0, true);
    EXPECT_EQ((GridShape{g.columns, g.rows}), (GridShape{256, 1}));
    EXPECT_TRUE(g.border);
}

}  // namespace
}  // namespace vexa
