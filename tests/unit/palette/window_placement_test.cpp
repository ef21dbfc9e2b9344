#include "palette/window_placement.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(WindowPlacement, FirstStartOnA1024By768ScreenIs341By96) {
    EXPECT_EQ(defaultWindowSize({0, 0, 1024, 768}), (Size{341, 96}));
    EXPECT_EQ(defaultWindowSize({0, 0, 1280, 1023}), (Size{426, 127}));
}

TEST(WindowPlacement, TheWindowAroundAClientAreaAddsFrameAndMenu) {
    // A framed window with a 25-pixel menu bar under a 20-pixel title.
    const WindowChrome chrome{3, 4, 20 + 25, 5};
    EXPECT_EQ(windowSizeForClient({256, 71}, chrome), (Size{263, 121}));
    // A grid of zero-width tiles shrinks the client width to nothing.
    EXPECT_EQ(windowSizeForClient({0, 71}, chrome), (Size{7, 121}));
}

TEST(WindowPlacement, CentringSplitsWithHalvesTruncatedTowardZero) {
    EXPECT_EQ(centredIn({0, 0, 1024, 768}, {256, 96}), (Point{384, 336}));
    // Odd sizes: 1023 / 2 = 511, 257 / 2 = 128.
    EXPECT_EQ(centredIn({0, 0, 1023, 767}, {257, 97}), (Point{383, 335}));
    // A work area that does not start at the origin (a panel on the left and at the top).
    EXPECT_EQ(centredIn({100, 30, 1024, 768}, {200, 100}), (Point{462, 349}));
    // Negative coordinates: the centre of -101..0 is -50 (truncated toward zero), not -51.
    EXPECT_EQ(centredIn({-101, -11, 0, 0}, {10, 2}), (Point{-55, -6}));
}

TEST(WindowPlacement, AWindowLargerThanTheWorkAreaKeepsItsLeftAndTopEdgesInside) {
    EXPECT_EQ(centredIn({0, 0, 1024, 768}, {1300, 900}), (Point{0, 0}));
    EXPECT_EQ(centredIn({50, 40, 1024, 768}, {2000, 100}), (Point{50, 354}));
}

}  // namespace
}  // namespace vexa
