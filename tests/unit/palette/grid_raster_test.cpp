// The grid as one image: every pixel of a damaged block must be what painting the plan's
// steps one by one, in order, leaves there.
#include "palette/grid_raster.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vexa {
namespace {

constexpr std::uint32_t kBackground = 300;
constexpr std::uint32_t kFrame = 301;

bool inside(const Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// What the screen holds at client point (x, y) after each step painted in turn.
std::uint32_t paintedAt(const std::vector<PaintStep>& plan, int x, int y) {
    std::uint32_t pixel = kBackground;
    for (const PaintStep& step : plan) {
        const Rect& r = step.rect;
        if (!inside(r, x, y)) continue;
        if (step.kind == PaintStep::Kind::fill)
            pixel = static_cast<std::uint32_t>(step.index);
        else if (x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1)
            pixel = kFrame;
    }
    return pixel;
}

void expectMatchesSteps(const GridGeometry& grid, int entries, const Rect& area) {
    const auto plan = grid.paintPlan(entries);
    std::vector<std::uint32_t> image(static_cast<std::size_t>(area.width()) * area.height());
    rasterisePaintPlan<std::uint32_t>(plan, area, kBackground, kFrame, image.data());
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            ASSERT_EQ(image[(y - area.top) * area.width() + (x - area.left)], paintedAt(plan, x, y))
                << "at " << x << "," << y;
}

TEST(GridRasterTest, WholeAreasAndDamagedBlocksMatchThePlanPaintedStepByStep) {
    GridGeometry bordered = GridGeometry::fromPreferences(16, 16, true);
    bordered.layoutGrid(203, 170);  // margins on every side
    expectMatchesSteps(bordered, 256, Rect{0, 0, 203, 170});
    expectMatchesSteps(bordered, 256, Rect{37, 21, 90, 64});      // crosses frames
    expectMatchesSteps(bordered, 256, Rect{190, 150, 203, 170});  // right and bottom margin
    expectMatchesSteps(bordered, 100, Rect{0, 0, 203, 170});      // unpainted tiles

    GridGeometry strip = GridGeometry::fromPreferences(256, 1, false);
    strip.layoutGrid(520, 60);
    expectMatchesSteps(strip, 256, Rect{0, 0, 520, 60});
    expectMatchesSteps(strip, 256, Rect{3, 5, 11, 6});

    GridGeometry tiny = GridGeometry::fromPreferences(16, 16, true);
    tiny.layoutGrid(10, 10);  // no room for tiles: background only
    expectMatchesSteps(tiny, 256, Rect{0, 0, 10, 10});
}

TEST(GridRasterTest, BytePixelsHoldTheSameValues) {
    GridGeometry grid = GridGeometry::fromPreferences(32, 8, true);
    grid.layoutGrid(130, 90);
    const Rect area{0, 0, 130, 90};
    const auto plan = grid.paintPlan(256);
    std::vector<std::uint8_t> bytes(130 * 90);
    std::vector<std::uint32_t> words(130 * 90);
    rasterisePaintPlan<std::uint8_t>(plan, area, 7, 0, bytes.data());
    rasterisePaintPlan<std::uint32_t>(plan, area, 7, 0, words.data());
    for (std::size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], words[i]) << i;
}

}  // namespace
}  // namespace vexa
