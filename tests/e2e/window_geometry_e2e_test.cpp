// The palette window's size and place on screens of every size, without a window manager:
// the first start shows every tile, Shrink to Fit never loses the grid, a stored corner at
// the screen's edge is kept, and the window is mapped once, already placed and hinted.
#include <gtest/gtest.h>

#include <map>

#include "desktop.h"
#include "vexa_session.h"

namespace vexa::testing {
namespace {

// Columns 0..255 of a one-row grid laid out in a client area `width` wide, as far as the
// first `visible` pixels of it lie on the screen.
::testing::AssertionResult showsAllTiles(::Display* display, Window window, int width,
                                         int visible = 0) {
    if (visible <= 0 || visible > width) visible = width;
    const int tile = std::max(1, width / 256);
    const int origin = std::max(0, (width - 256 * tile) / 2);
    const std::vector<unsigned long> row =
        windowPixels(display, window, 0, kMenuHeight, visible, 1);
    if (row.size() != static_cast<std::size_t>(visible))
        return ::testing::AssertionFailure() << "could not read the window's pixels";
    for (int i = 0; i < 256; ++i) {
        const int x = origin + i * tile;
        if (x >= width) return ::testing::AssertionFailure() << "tile " << i << " is cut off";
        if (x >= visible) break;
        if (row[x] != static_cast<unsigned long>(i))
            return ::testing::AssertionFailure()
                   << "pixel " << x << " is " << row[x] << ", expected tile " << i;
    }
    return ::testing::AssertionSuccess();
}

using ScreenSizeE2E = VexaTest;

TEST_F(ScreenSizeE2E, FirstStartShowsEveryTileCentredAndShrinkToFitKeepsTheGrid) {
    home.seedVersion();
    const int screenWidth = DisplayWidth(x.get(), DefaultScreen(x.get()));
    const int screenHeight = DisplayHeight(x.get(), DefaultScreen(x.get()));
    // A third of the width holds whole tiles of at least one pixel; the eighth of the
    // height stays; centred as half the screen less half the window.
    const int tile = std::max(1, screenWidth / 3 / 256);
    const Geometry first{screenWidth / 2 - 256 * tile / 2, screenHeight / 2 - screenHeight / 8 / 2,
                         256 * tile, screenHeight / 8};
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_TRUE(vexa->waitForGeometry(x, window, first)) << toString(windowGeometry(x, window));
    EXPECT_TRUE(waitFor([&] { return bool(showsAllTiles(x, window, first.width)); }));
    EXPECT_TRUE(showsAllTiles(x, window, first.width));

    // Narrower than the 256 columns, then Shrink to Fit: the grid comes back whole.
    ASSERT_TRUE(xdotool(
        {"windowsize", "--sync", std::to_string(window), "200", std::to_string(first.height)}));
    ASSERT_TRUE(waitFor([&] { return windowGeometry(x, window).width == 200; }));
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "s"}));
    EXPECT_TRUE(waitFor([&] { return windowGeometry(x, window).width == 256; }))
        << toString(windowGeometry(x, window));
    EXPECT_TRUE(waitFor([&] { return bool(showsAllTiles(x, window, 256)); }));
    EXPECT_TRUE(showsAllTiles(x, window, 256));
    ASSERT_TRUE(chooseMenu(window, {"Escape"}));
    EXPECT_EQ(vexa->waitForExit(), 0);

    // The next start restores a window that holds the grid and the menu.
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_TRUE(waitFor([&] { return bool(showsAllTiles(x, window, 256)); }))
        << toString(windowGeometry(x, window));
    EXPECT_GT(windowGeometry(x, window).height, kMenuHeight);
}

TEST_F(ScreenSizeE2E, MoreRowsThanTheClientAreaHasPixelsGrowTheWindow) {
    home.seedVersion();
    ASSERT_NO_FATAL_FAILURE(start());
    // Resized only once Vexa has placed it: a resize between the map and Vexa's own last
    // placement is undone by it.
    ASSERT_TRUE(waitForSteadyGeometry(x, window));
    ASSERT_GE(windowGeometry(x, window).width, 256);
    // 15 pixels under the menu bar, then 8 columns of 32 rows.
    ASSERT_TRUE(xdotool(
        {"windowsize", "--sync", std::to_string(window), "256", std::to_string(kMenuHeight + 15)}));
    ASSERT_TRUE(waitFor([&] { return windowGeometry(x, window).height == kMenuHeight + 15; }));
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "c", "8"}));
    EXPECT_TRUE(waitFor([&] { return windowGeometry(x, window).height == kMenuHeight + 32; }))
        << toString(windowGeometry(x, window));
    // Tile 248 starts the last row: 32 one-pixel rows, 32 pixel-wide columns.
    EXPECT_TRUE(waitFor([&] {
        const auto pixel = windowPixels(x, window, 0, kMenuHeight + 31, 1, 1);
        return pixel.size() == 1 && pixel[0] == 248;
    }));
}

// What the screen saw of the palette window's arrival: every map, its geometry when first
// mapped, and the changes to its place, size and window manager hints after that.
struct MapRecord {
    Window window = 0;
    int maps = 0;
    Geometry atFirstMap;
    int configuresAfterMap = 0;
    int hintChangesAfterMap = 0;
    long functionsAtMap = -1;  // _MOTIF_WM_HINTS functions when the map was seen
};

// The functions field of _MOTIF_WM_HINTS, or -1 without the property.
long motifFunctions(::Display* display, Window window) {
    const std::vector<long> hints = readLongProperty(display, window, "_MOTIF_WM_HINTS");
    return hints.size() >= 5 ? hints[1] : -1;
}

class MapWatcher {
  public:
    explicit MapWatcher(::Display* display) : display_(display) {
        XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
        XSync(display_, False);
    }
    // Handles the events that came until `done` holds; false after a timeout.
    bool until(const std::function<bool()>& done) {
        return waitFor([&] {
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                handle(event);
            }
            return done();
        });
    }
    const MapRecord& record() const { return record_; }

  private:
    void handle(const XEvent& event) {
        const Atom hints = XInternAtom(display_, "_MOTIF_WM_HINTS", False);
        switch (event.type) {
            case CreateNotify: {
                const XCreateWindowEvent& e = event.xcreatewindow;
                geometry_[e.window] = {e.x, e.y, e.width, e.height};
                // Property changes from here on arrive in order with the maps.
                XSelectInput(display_, e.window, PropertyChangeMask);
                break;
            }
            case ConfigureNotify: {
                const XConfigureEvent& e = event.xconfigure;
                geometry_[e.window] = {e.x, e.y, e.width, e.height};
                if (e.window == record_.window) ++record_.configuresAfterMap;
                break;
            }
            case MapNotify:
                if (record_.window == 0 && title(display_, event.xmap.window) == "Vexa") {
                    record_.window = event.xmap.window;
                    record_.atFirstMap = geometry_[record_.window];
                    record_.functionsAtMap = motifFunctions(display_, record_.window);
                }
                if (event.xmap.window == record_.window) ++record_.maps;
                break;
            case PropertyNotify:
                if (event.xproperty.window == record_.window && event.xproperty.atom == hints)
                    ++record_.hintChangesAfterMap;
                break;
        }
    }

    ::Display* display_;
    std::map<Window, Geometry> geometry_;
    MapRecord record_;
};

struct Bounds {
    int left, top, right, bottom;
};

class PlacementE2E : public ::testing::Test {
  protected:
    // Starts vexa with `stored` bounds and returns what its arrival looked like once the
    // grid is painted.
    MapRecord start(const Bounds& stored) {
        home.seedVersion(65542, storedBounds(stored.left, stored.top, stored.right, stored.bottom));
        MapWatcher watcher(x);
        vexa = std::make_unique<VexaProcess>(home);
        const int screenWidth = DisplayWidth(x.get(), DefaultScreen(x.get()));
        watcher.until([&] {
            const MapRecord& seen = watcher.record();
            return seen.window != 0 && showsAllTiles(x, seen.window, seen.atFirstMap.width,
                                                     screenWidth - seen.atFirstMap.x);
        });
        return watcher.record();
    }
    XConnection x;
    ConfigHome home;
    std::unique_ptr<VexaProcess> vexa;
};

TEST_F(PlacementE2E, ACornerAtTheScreensOriginIsKeptAndAnUnchangedRunWritesNothing) {
    const MapRecord seen = start({0, 0, 300, 100});
    ASSERT_NE(seen.window, 0u) << "the grid never showed";
    EXPECT_EQ(seen.atFirstMap, (Geometry{0, 0, 300, 100}));
    EXPECT_EQ(seen.maps, 1);
    EXPECT_EQ(seen.configuresAfterMap, 0);
    // The hints were in place when the window was mapped and did not change afterwards:
    // resize, move, minimise and close, no maximise.
    EXPECT_EQ(seen.functionsAtMap, 2 | 4 | 8 | 32);
    EXPECT_EQ(seen.hintChangesAfterMap, 0);
    EXPECT_EQ(windowGeometry(x, seen.window), (Geometry{0, 0, 300, 100}));

    const std::string before = home.storeText();
    ASSERT_TRUE(chooseMenu(seen.window, {"Escape"}));
    EXPECT_EQ(vexa->waitForExit(), 0);
    EXPECT_EQ(home.storeText(), before);
}

TEST_F(PlacementE2E, BoundsWiderThanTheScreenKeepTheirLeftEdgeOnTheScreen) {
    // Shifted left by 176, then right by 276: {0, 0, 1300, 100}.
    const MapRecord seen = start({-100, 0, 1200, 100});
    ASSERT_NE(seen.window, 0u) << "the grid never showed";
    EXPECT_EQ(seen.atFirstMap, (Geometry{0, 0, 1300, 100}));
    EXPECT_EQ(seen.maps, 1);
    EXPECT_EQ(seen.configuresAfterMap, 0);
    EXPECT_EQ(seen.hintChangesAfterMap, 0);
}

TEST_F(PlacementE2E, ASliverLeftByAnEarlierRunIsEnlargedAroundItsCentre) {
    // One pixel wide, 20 high: 256 columns and the menu bar over one row need more.
    const MapRecord seen = start({500, 400, 501, 420});
    ASSERT_NE(seen.window, 0u) << "the grid never showed";
    const Geometry g = seen.atFirstMap;
    EXPECT_GE(g.width, 256);
    EXPECT_GE(g.height, kMenuHeight + 1);
    EXPECT_NEAR(g.x + g.width / 2, 500, 1);
    EXPECT_NEAR(g.y + g.height / 2, 410, 1);
}

// The same corner under a window manager: the frame, not the window inside it, goes to
// (0, 0), whether the manager tells its frame before mapping (openbox) or only after (twm).
class PlacementInDesktopE2E : public ::testing::TestWithParam<Desktop> {};

TEST_P(PlacementInDesktopE2E, AStoredCornerAtTheOriginPlacesTheFrameThere) {
    XConnection x;
    ConfigHome home;
    home.seedVersion(65542, storedBounds(0, 0, 300, 100));
    WindowManager manager(x, GetParam());
    VexaProcess vexa(home);
    const Window window = vexa.waitForWindow(x);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(waitForSteadyGeometry(x, window));
    EXPECT_EQ(frameOf(x, window), (Geometry{0, 0, 300, 100}));
    EXPECT_GT(windowGeometry(x, window).y, 0) << "no frame above the window";
    const std::string before = home.storeText();
    ASSERT_TRUE(pressKeys(window, "Escape"));
    EXPECT_EQ(vexa.waitForExit(), 0);
    EXPECT_EQ(home.storeText(), before);
}

INSTANTIATE_TEST_SUITE_P(Desktops, PlacementInDesktopE2E,
                         ::testing::Values(Desktop::twm, Desktop::openbox),
                         [](const auto& param) { return desktopName(param.param); });

}  // namespace
}  // namespace vexa::testing
