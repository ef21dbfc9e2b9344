#include "palette_window/grid_geometry.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

GridGeometry laidOut(int columns, int rows, int width, int height, bool border = false) {
    GridGeometry g = GridGeometry::fromPreferences(columns, rows, border);
    g.layoutGrid(width, height);
    return g;
}

TEST(GridGeometryTest, LayoutCentresTheGridWithTheSmallerHalfBefore) {
    GridGeometry g = laidOut(256, 1, 300, 100);
    EXPECT_EQ(g.tileWidth, 1);
    EXPECT_EQ(g.tileHeight, 100);
    EXPECT_EQ(g.originX, 22);
    EXPECT_EQ(g.originY, 0);

    g = laidOut(16, 16, 165, 170);
    EXPECT_EQ(g.tileWidth, 10);
    EXPECT_EQ(g.tileHeight, 10);
    EXPECT_EQ(g.originX, 2);  // 5 leftover pixels: 2 before, 3 after
    EXPECT_EQ(g.originY, 5);
    EXPECT_EQ(g.tileOrigin(17), (Point{12, 15}));
    EXPECT_EQ(g.tileRect(255), (Rect{152, 155, 162, 165}));
}

TEST(GridGeometryTest, HitTestInvertsTheTilePositions) {
    GridGeometry g = laidOut(16, 16, 165, 170);
    EXPECT_EQ(g.hitTest(2, 5), 0);
    EXPECT_EQ(g.hitTest(161, 164), 255);
    EXPECT_EQ(g.hitTest(162, 100), -1);
    EXPECT_EQ(g.hitTest(1, 5), -1);
    EXPECT_EQ(g.hitTest(2, 4), -1);
    EXPECT_EQ(g.hitTest(100, 165), -1);
    for (int i = 0; i < 256; ++i) {
        const Point p = g.tileOrigin(i);
        EXPECT_EQ(g.hitTest(p.x, p.y), i);
        EXPECT_EQ(g.hitTest(p.x + 9, p.y + 9), i);
    }
}

TEST(GridGeometryTest, TooNarrowClientGivesZeroTilesAndNoHits) {
    GridGeometry g = laidOut(256, 1, 250, 100, true);
    EXPECT_EQ(g.tileWidth, 0);
    EXPECT_EQ(g.originX, 125);
    EXPECT_TRUE(g.gridRect().empty());
    for (int x : {0, 124, 125, 126, 249})
        for (int y : {0, 50, 99}) EXPECT_EQ(g.hitTest(x, y), -1) << x << "," << y;
    // With border on every frame collapses onto the one black line at x = 125.
    for (const PaintStep& step : g.paintPlan(256)) {
        if (step.kind == PaintStep::Kind::fill) {
            EXPECT_TRUE(step.rect.empty());
        } else {
            EXPECT_EQ(step.rect, (Rect{125, 0, 126, 101}));
        }
    }
    EXPECT_EQ(laidOut(16, 16, 0, 0).hitTest(0, 0), -1);  // minimised: no division by zero
}

TEST(GridGeometryTest, HitTestIsNotLimitedToEntryCount) {
    GridGeometry g = laidOut(16, 16, 160, 160);
    EXPECT_EQ(g.hitTest(0, 10), 16);
    EXPECT_EQ(g.hitTest(159, 19), 31);
}

TEST(GridGeometryTest, PaintPlanFillsOnlyEntryCountTilesInOrder) {
    GridGeometry g = laidOut(16, 16, 165, 170);
    auto plan = g.paintPlan(16);
    ASSERT_EQ(plan.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(plan[i].kind, PaintStep::Kind::fill);
        EXPECT_EQ(plan[i].index, i);
        EXPECT_EQ(plan[i].rect, g.tileRect(i));
        EXPECT_EQ(plan[i].rect.top, 5);
    }
    EXPECT_EQ(g.paintPlan(256).size(), 256u);
    EXPECT_EQ(g.paintPlan(256).back().rect, (Rect{152, 155, 162, 165}));
}

TEST(GridGeometryTest, BorderFramesFollowEachFillOnePixelWiderAndTaller) {
    GridGeometry g = laidOut(8, 32, 80, 320, true);
    auto plan = g.paintPlan(256);
    ASSERT_EQ(plan.size(), 512u);
    for (int i = 0; i < 256; ++i) {
        const PaintStep& fill = plan[2 * i];
        const PaintStep& frame = plan[2 * i + 1];
        EXPECT_EQ(fill.kind, PaintStep::Kind::fill);
        EXPECT_EQ(frame.kind, PaintStep::Kind::frame);
        EXPECT_EQ(fill.index, i);
        EXPECT_EQ(frame.index, i);
        const Rect t = g.tileRect(i);
        EXPECT_EQ(fill.rect, t);
        EXPECT_EQ(frame.rect, (Rect{t.left, t.top, t.right + 1, t.bottom + 1}));
    }
    // The last frame lies one pixel beyond the grid.
    EXPECT_EQ(plan.back().rect.right, g.gridRect().right + 1);
    EXPECT_EQ(plan.back().rect.bottom, g.gridRect().bottom + 1);
}

TEST(GridGeometryTest, SetColumnsThenShrinkToFitRemovesTheMargins) {
    GridGeometry g = GridGeometry::fromPreferences(256, 1, false);
    auto shape = setColumnsShape(ID_VIEW_COLUMNS_16);
    ASSERT_TRUE(shape);
    g.columns = shape->columns;
    g.rows = shape->rows;
    g.layoutGrid(300, 100);
    EXPECT_EQ(g.tileWidth, 18);
    EXPECT_EQ(g.tileHeight, 6);
    EXPECT_EQ(g.originX, 6);
    EXPECT_EQ(g.originY, 2);
    EXPECT_EQ(g.shrinkTarget(), (Size{288, 96}));
    g.layoutGrid(288, 96);
    EXPECT_EQ(g.originX, 0);
    EXPECT_EQ(g.originY, 0);
    EXPECT_EQ(g.shrinkTarget(), (Size{288, 96}));
}

TEST(GridGeometryTest, SetColumnsTableCoversItsSixCommandsOnly) {
    const std::pair<int, GridShape> expected[] = {
        {2002, {8, 32}}, {2003, {16, 16}}, {2004, {32, 8}},
        {2005, {64, 4}}, {2006, {128, 2}}, {2007, {256, 1}},
    };
    for (auto [id, shape] : expected) EXPECT_EQ(setColumnsShape(id), shape) << id;
    EXPECT_FALSE(setColumnsShape(2001));
    EXPECT_FALSE(setColumnsShape(2008));
}

TEST(GridGeometryTest, UnusableStoredShapesBecome256By1) {
    const GridShape fallback{256, 1};
    EXPECT_EQ(usableGridShape(0, 1), fallback);
    EXPECT_EQ(usableGridShape(256, 0), fallback);
    EXPECT_EQ(usableGridShape(-16, -16), fallback);
    EXPECT_EQ(usableGridShape(16, 8), fallback);
    EXPECT_EQ(usableGridShape(16777217, 256), fallback);  // product wraps to 256 in 32 bits
    EXPECT_EQ(usableGridShape(16, 16), (GridShape{16, 16}));
    EXPECT_EQ(usableGridShape(2, 128), (GridShape{2, 128}));
    GridGeometry g = GridGeometry::fromPreferences(0, 0, true);
    EXPECT_EQ(g.columns, 256);
    EXPECT_EQ(g.rows, 1);
    EXPECT_TRUE(g.border);
    EXPECT_EQ(g.tileWidth, 0);
}

}  // namespace
}  // namespace vexa
