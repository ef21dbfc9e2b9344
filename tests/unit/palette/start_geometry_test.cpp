#include "palette/start_geometry.h"

#include <gtest/gtest.h>

#include "../settings/fake_window.h"

namespace vexa {
namespace {

TEST(ParseGeometry, ReadsSizeAndOffsetsInEveryXForm) {
    EXPECT_EQ(parseGeometry("300x200+10+20"), (WindowGeometry{Size{300, 200}, Point{10, 20}}));
    EXPECT_EQ(parseGeometry("=300X200"), (WindowGeometry{Size{300, 200}, std::nullopt}));
    EXPECT_EQ(parseGeometry("+0+5"), (WindowGeometry{std::nullopt, Point{0, 5}}));
    EXPECT_EQ(parseGeometry("-0-5"), (WindowGeometry{std::nullopt, Point{0, 5}, true, true}));
    EXPECT_EQ(parseGeometry("10x10-3+4"), (WindowGeometry{Size{10, 10}, Point{3, 4}, true, false}));
}

TEST(ParseGeometry, RefusesWhatIsNotAGeometry) {
    for (const char* text :
         {"", "=", "300", "300x", "x200", "0x200", "300x0", "300x200+10", "300x200+10+",
          "+10+20junk", "300x200 +1+2", "a+1+2", "99999x1", "+-1+2", "300x-2"})
        EXPECT_FALSE(parseGeometry(text)) << text;
}

TEST(GeometryRect, SizeIsTheWindowsOwnAndOffsetsPlaceTheFrame) {
    const Rect desktop{0, 0, 1024, 768};
    // A frame of 4 on the sides and the bottom and 20 on top around a 200 x 100 window.
    const Rect frame{50, 60, 258, 184};
    const Size client{200, 100};
    EXPECT_EQ(geometryRect(*parseGeometry("300x150"), frame, client, desktop),
              (Rect{50, 60, 358, 234}));
    EXPECT_EQ(geometryRect(*parseGeometry("+10+20"), frame, client, desktop),
              (Rect{10, 20, 218, 144}));
    EXPECT_EQ(geometryRect(*parseGeometry("300x150-0-0"), frame, client, desktop),
              (Rect{716, 594, 1024, 768}));
    EXPECT_EQ(geometryRect(*parseGeometry("-10+0"), {200, 50, 300, 150}, {100, 100}, desktop),
              (Rect{914, 0, 1014, 100}));
}

TEST(ApplyStartOptions, PlacesLikeAStoredPlacementThenMinimises) {
    test::FakeWindow window;
    const Rect frame{0, 0, 200, 100};
    applyStartOptions(window, frame, {200, 100}, {});
    EXPECT_TRUE(window.actions.empty()) << "no request, no change";

    // Beyond the desktop's right edge: shifted back in, size kept.
    applyStartOptions(window, frame, {200, 100}, {parseGeometry("400x300+900+10"), true});
    ASSERT_EQ(window.placements.size(), 1u);
    EXPECT_EQ(window.placements[0].r, (Rect{624, 10, 1024, 310}));
    EXPECT_EQ(window.placements[0].flags & SWP_NOZORDER, SWP_NOZORDER);
    EXPECT_EQ(window.actions, (std::vector<std::string>{"place", "minimise"}));

    window.alive = false;
    window.actions.clear();
    applyStartOptions(window, frame, {200, 100}, {parseGeometry("+1+1"), true});
    EXPECT_TRUE(window.actions.empty()) << "a window that is gone is left alone";
}

}  // namespace
}  // namespace vexa
