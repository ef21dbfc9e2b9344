#include <gtest/gtest.h>

#include "fake_window.h"
#include "recording_registry.h"
#include "settings/window_settings.h"

namespace vexa {
namespace {

using test::FakeWindow;
using Actions = std::vector<std::string>;

TEST(ClampToDesktop, ShiftsIntoTheDesktopWithoutResizing) {
    const Rect desktop{0, 0, 1024, 768};
    struct Case {
        Rect stored, placed;
    };
    for (auto c : {Case{{100, 100, 400, 300}, {100, 100, 400, 300}},
                   Case{{900, 700, 1200, 900}, {724, 568, 1024, 768}},
                   Case{{-50, 10, 250, 110}, {0, 10, 300, 110}},
                   Case{{-100, 0, 1200, 100}, {0, 0, 1300, 100}},
                   Case{{10, -400, 110, 900}, {10, 0, 110, 1300}},
                   Case{{-300, -300, -100, -200}, {0, 0, 200, 100}}}) {
        Rect r = c.stored;
        clampToDesktop(r, desktop);
        EXPECT_EQ(r, c.placed) << c.stored.left << "," << c.stored.top;
    }
    // A desktop that does not start at the origin.
    Rect r{0, 0, 100, 100};
    clampToDesktop(r, {200, 50, 800, 600});
    EXPECT_EQ(r, (Rect{200, 50, 300, 150}));
}

class WindowStateTest : public ::testing::Test {
  protected:
    test::RecordingRegistry registry;
    WindowSettings settings{registry};
    FakeWindow window;
};

TEST_F(WindowStateTest, NothingStoredLeavesTheWindowAlone) {
    for (Rect r : {Rect{}, Rect{100, 100, 100, 300}, Rect{100, 100, 400, 50}}) {
        settings.bounds = r;
        EXPECT_FALSE(settings.restoreWindowPlacement(&window));
    }
    EXPECT_TRUE(window.actions.empty());
}

TEST_F(WindowStateTest, NoLiveWindowMeansNothingHappens) {
    settings.bounds = {100, 100, 400, 300};
    EXPECT_FALSE(settings.restoreWindowPlacement(nullptr));
    window.alive = false;
    window.minimised = true;
    EXPECT_FALSE(settings.restoreWindowPlacement(&window));
    settings.captureWindowState(&window);
    settings.captureWindowState(nullptr);
    EXPECT_TRUE(window.actions.empty());
    EXPECT_EQ(settings.showState, 0);
    EXPECT_FALSE(settings.modified);
}

TEST_F(WindowStateTest, RestorePlacesShiftedActivatesAndChangesNoSetting) {
    settings.bounds = {900, 700, 1200, 900};
    EXPECT_TRUE(settings.restoreWindowPlacement(&window));
    ASSERT_EQ(window.placements.size(), 1u);
    EXPECT_EQ(window.placements[0].r, (Rect{724, 568, 1024, 768}));
    EXPECT_FALSE(window.placements[0].topmost);
    EXPECT_EQ(window.placements[0].flags, 0u);
    EXPECT_EQ(window.actions, (Actions{"place", "foreground"}));
    EXPECT_EQ(settings.bounds, (Rect{900, 700, 1200, 900}));
    EXPECT_FALSE(settings.modified);
}

TEST_F(WindowStateTest, BoundsBelowTheMinimumAreEnlargedAroundTheirCentreThenShifted) {
    // A 1-pixel sliver left by an earlier run: 263 x 51 around its centre (500, 410).
    settings.bounds = {500, 400, 501, 420};
    EXPECT_TRUE(settings.restoreWindowPlacement(&window, 263, 51));
    ASSERT_EQ(window.placements.size(), 1u);
    EXPECT_EQ(window.placements[0].r, (Rect{369, 385, 632, 436}));
    // Near the corner the enlarged rectangle is shifted back onto the desktop.
    settings.bounds = {0, 0, 10, 10};
    EXPECT_TRUE(settings.restoreWindowPlacement(&window, 263, 51));
    EXPECT_EQ(window.placements[1].r, (Rect{0, 0, 263, 51}));
    // Large enough already: placed as stored.
    settings.bounds = {100, 100, 400, 300};
    EXPECT_TRUE(settings.restoreWindowPlacement(&window, 263, 51));
    EXPECT_EQ(window.placements[2].r, (Rect{100, 100, 400, 300}));
    EXPECT_EQ(settings.bounds, (Rect{100, 100, 400, 300}));
    EXPECT_FALSE(settings.modified);
}

TEST_F(WindowStateTest, OnTopMakesTheWindowTopmost) {
    settings.bounds = {100, 100, 400, 300};
    settings.onTop = 1;
    settings.restoreWindowPlacement(&window);
    settings.onTop = 0;
    settings.restoreWindowPlacement(&window);
    ASSERT_EQ(window.placements.size(), 2u);
    EXPECT_TRUE(window.placements[0].topmost);
    EXPECT_FALSE(window.placements[1].topmost);
}

TEST_F(WindowStateTest, CaptureTakesANormalWindowsRectangle) {
    window.rect = {10, 20, 310, 220};
    settings.captureWindowState(&window);
    EXPECT_EQ(settings.bounds, window.rect);
    EXPECT_EQ(settings.showState, 0);
    EXPECT_TRUE(settings.modified);

    settings.modified = false;
    settings.captureWindowState(&window);
    EXPECT_FALSE(settings.modified);
    settings.updateBounds({10, 20, 310, 221});
    EXPECT_TRUE(settings.modified);
}

TEST_F(WindowStateTest, CaptureOfAMinimisedWindowKeepsTheLoadedBounds) {
    settings.bounds = {100, 100, 400, 300};
    window.minimised = true;
    window.rect = {-32000, -32000, -31840, -31970};
    settings.captureWindowState(&window);
    EXPECT_EQ(settings.showState, 2);
    EXPECT_EQ(settings.bounds, (Rect{100, 100, 400, 300}));
    EXPECT_TRUE(settings.modified);

    settings.modified = false;
    settings.captureWindowState(&window);
    EXPECT_FALSE(settings.modified);
}

TEST_F(WindowStateTest, AWindowNoLongerAsLeftGivesThePlacementLastKnown) {
    // Handed back to the root by a window manager that ended: no frame, lower, shorter.
    settings.bounds = {100, 100, 400, 300};
    window.asLeft = false;
    window.rect = {104, 125, 396, 296};
    settings.captureWindowState(&window);
    EXPECT_EQ(settings.bounds, (Rect{100, 100, 400, 300}));
    EXPECT_FALSE(settings.modified);

    settings.captureWindowState(&window, true, {200, 150, 500, 350});
    EXPECT_EQ(settings.bounds, (Rect{200, 150, 500, 350}));
    EXPECT_TRUE(settings.modified);
}

TEST_F(WindowStateTest, AFirstRunClosedMinimisedSavesStateButNoBounds) {
    settings.key.bind(HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    window.minimised = true;
    settings.captureWindowState(&window);
    EXPECT_TRUE(settings.modified);
    settings.save();
    std::vector<std::string> writes = registry.valueCalls();
    std::erase_if(writes, [](const std::string& call) { return call.rfind("write ", 0) != 0; });
    EXPECT_EQ(writes, (std::vector<std::string>{"write Window\\On top", "write Window\\State"}));
    EXPECT_EQ(
        registry.value("HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa\\Window", "State")->data[0], 2);
}

}  // namespace
}  // namespace vexa
