// The palette window end to end: the real binary on a private 8-bit Xvfb (1024 x 768, no
// window manager), a fresh settings store per test, driven with xdotool.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "vexa_session.h"

namespace vexa::testing {
namespace {

// Every pixel of the rectangle (window coordinates) holds the value `expected(x, y)`;
// reports the first pixel that does not.
::testing::AssertionResult pixelsAre(::Display* display, Window window, int x0, int y0, int w,
                                     int h,
                                     const std::function<unsigned long(int, int)>& expected) {
    const std::vector<unsigned long> pixels = windowPixels(display, window, x0, y0, w, h);
    if (pixels.size() != static_cast<std::size_t>(w * h))
        return ::testing::AssertionFailure() << "could not read the window's pixels";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned long want = expected(x0 + x, y0 + y);
            const unsigned long got = pixels[y * w + x];
            if (got != want)
                return ::testing::AssertionFailure() << "pixel (" << x0 + x << ", " << y0 + y
                                                     << ") is " << got << ", expected " << want;
        }
    return ::testing::AssertionSuccess();
}

class PaletteWindowE2E : public VexaTest {
  protected:
    // Starts vexa on a store in which this version ran and waits for the first start's
    // window: 256 x 96, centred on the 1024 x 768 screen.
    void startCentred() {
        home.seedVersion();
        ASSERT_NO_FATAL_FAILURE(start());
        ASSERT_TRUE(vexa->waitForGeometry(x, window, {384, 336, 256, 96}));
    }

    unsigned long black = BlackPixel(x.get(), DefaultScreen(x.get()));
};

TEST_F(PaletteWindowE2E, FirstStartSizesShrinksAndCentresTheWindowOverTilesZeroTo255) {
    ASSERT_NO_FATAL_FAILURE(start());
    // 1024/3 x 768/8 = 341 x 96, shrunk to 256 one-pixel tiles (the height stays), then
    // centred on the 1024 x 768 screen.
    const Geometry expected{384, 336, 256, 96};
    EXPECT_TRUE(vexa->waitForGeometry(x, window, expected)) << toString(windowGeometry(x, window));
    // No maximise function or button; resizing, moving, minimising and closing stay.
    const auto motif = readLongProperty(x, window, "_MOTIF_WM_HINTS");
    ASSERT_EQ(motif.size(), 5u);
    EXPECT_EQ(motif[0] & 3, 3);
    EXPECT_EQ(motif[1], 2 | 4 | 8 | 32);
    EXPECT_EQ(motif[2] & 64, 0);

    // A version that never ran here opens the About window by itself, once.
    const Window about = findWindowByName(x, "About Vexa");
    ASSERT_NE(about, 0u);
    ASSERT_TRUE(xdotool({"windowfocus", "--sync", std::to_string(about), "key", "Return"}));
    EXPECT_TRUE(waitFor([&] { return findWindowByName(x, "About Vexa", 0ms) == 0; }));
    EXPECT_EQ(home.dword("CurrentVersion", "Version"), 65542u);

    // The grid, uncovered again: pixel values 0..255, one column each.
    EXPECT_TRUE(waitFor([&] {
        return pixelsAre(x, window, 0, kMenuHeight, 256, 96 - kMenuHeight,
                         [](int px, int) { return static_cast<unsigned long>(px); });
    }));
    EXPECT_TRUE(pixelsAre(x, window, 0, kMenuHeight, 256, 96 - kMenuHeight,
                          [](int px, int) { return static_cast<unsigned long>(px); }));
    ASSERT_TRUE(chooseMenu(window, {"Escape"}));
    EXPECT_EQ(vexa->waitForExit(), 0);
}

TEST_F(PaletteWindowE2E, TilesShowAnotherProgramsColoursWithoutARepaint) {
    ASSERT_NO_FATAL_FAILURE(startCentred());
    // The grid at its final size is painted: tile i holds pixel i.
    ASSERT_TRUE(waitFor([&] {
        return pixelsAre(x, window, 0, kMenuHeight, 256, 1,
                         [](int px, int) { return static_cast<unsigned long>(px); });
    }));
    const auto before = windowPixels(x, window, 0, kMenuHeight, 256, 1);

    ColormapHolder holder({"--color", "0-127=00FF00", "--color", "128-255=FF00FF", "--color",
                           "12=FF0000", "--geometry", "64x64+10+10"});
    ASSERT_EQ(installedColormap(x), holder.colormap());
    // The window's pixels are untouched; the screen shows them in the holder's colours.
    EXPECT_EQ(windowPixels(x, window, 0, kMenuHeight, 256, 1), before);
    const std::vector<Rgb> shown = screenColors(x, 384, 336 + kMenuHeight + 10, 256, 1);
    ASSERT_EQ(shown.size(), 256u);
    for (int i = 0; i < 256; ++i) {
        const Rgb want = i == 12 ? Rgb{255, 0, 0} : i < 128 ? Rgb{0, 255, 0} : Rgb{255, 0, 255};
        EXPECT_EQ(shown[i], want) << "tile " << i << " shows " << toString(shown[i]);
    }
}

TEST_F(PaletteWindowE2E, DraggingFromTile12OffTheWindowReadsThePixelsIntoTheTitle) {
    ASSERT_NO_FATAL_FAILURE(startCentred());
    // Another program's palette: pure red at 12, pure blue at 252, its window filled with 252.
    ColormapHolder holder({"--color", "12=FF0000", "--color", "252=0000FF", "--fill", "252",
                           "--geometry", "64x64+10+10"});
    const std::vector<Rgb> colours = colormapColors(x, holder.colormap());
    int firstBlue = 0;
    while (firstBlue < 256 && !(colours[firstBlue] == Rgb{0, 0, 255})) ++firstBlue;
    ASSERT_EQ(firstBlue, 252) << "the default colormap already holds pure blue";

    ASSERT_TRUE(xdotool({"mousemove", "--sync", "396", "380"}));  // tile 12
    ASSERT_TRUE(xdotool({"mousedown", "1"}));
    EXPECT_EQ(waitForTitle(x, window, "Vexa - [012] = 0x0000FF = RGB(255, 0, 0)"),
              "Vexa - [012] = 0x0000FF = RGB(255, 0, 0)");

    // Moving within the tile gives the same text: the title is not written again. Vexa
    // handles the moves in order, so once the holder's pixel is in the title, the write that
    // put it there is the only one since the moves began.
    XSelectInput(x, window, PropertyChangeMask);
    XSync(x, False);
    for (int y : {370, 375, 385, 390, 391}) {
        ASSERT_TRUE(xdotool({"mousemove", "--sync", "396", std::to_string(y)}));
    }
    ASSERT_TRUE(xdotool({"mousemove", "--sync", "40", "40"}));  // the holder's window
    EXPECT_EQ(waitForTitle(x, window, "Vexa - [252] = 0xFF0000 = RGB(0, 0, 255)"),
              "Vexa - [252] = 0xFF0000 = RGB(0, 0, 255)");
    XSync(x, False);
    const Atom wmName = XInternAtom(x, "WM_NAME", False);
    int titleWrites = 0;
    XEvent event;
    while (XCheckTypedWindowEvent(x, window, PropertyNotify, &event))
        if (event.xproperty.atom == wmName) ++titleWrites;
    EXPECT_EQ(titleWrites, 1);
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    EXPECT_EQ(waitForTitle(x, window, "Vexa"), "Vexa");
}

TEST_F(PaletteWindowE2E, AnotherButtonClickedDuringADragNeitherStopsNorEndsTheReadout) {
    ASSERT_NO_FATAL_FAILURE(startCentred());
    ColormapHolder holder({"--color", "12=FF0000", "--color", "252=0000FF", "--fill", "252",
                           "--geometry", "64x64+10+10"});

    ASSERT_TRUE(xdotool({"mousemove", "--sync", "396", "380"}));  // tile 12
    ASSERT_TRUE(xdotool({"mousedown", "1"}));
    EXPECT_EQ(waitForTitle(x, window, "Vexa - [012] = 0x0000FF = RGB(255, 0, 0)"),
              "Vexa - [012] = 0x0000FF = RGB(255, 0, 0)");
    // Right and middle clicks, over the grid and off the window, while the left is held.
    ASSERT_TRUE(xdotool({"click", "3"}));
    ASSERT_TRUE(xdotool({"mousemove", "--sync", "40", "40"}));  // the holder's window
    EXPECT_EQ(waitForTitle(x, window, "Vexa - [252] = 0xFF0000 = RGB(0, 0, 255)"),
              "Vexa - [252] = 0xFF0000 = RGB(0, 0, 255)");
    ASSERT_TRUE(xdotool({"click", "2"}));
    ASSERT_TRUE(xdotool({"mousemove", "--sync", "396", "381"}));
    EXPECT_EQ(waitForTitle(x, window, "Vexa - [012] = 0x0000FF = RGB(255, 0, 0)"),
              "Vexa - [012] = 0x0000FF = RGB(255, 0, 0)");
    ASSERT_TRUE(xdotool({"mousemove", "--sync", "40", "41"}));
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    EXPECT_EQ(waitForTitle(x, window, "Vexa"), "Vexa");
}

TEST_F(PaletteWindowE2E, SetColumns16ToggleBorderAndShrinkToFitRelayTheGrid) {
    ASSERT_NO_FATAL_FAILURE(startCentred());
    // A client area of 300 x 100 below the menu bar.
    ASSERT_TRUE(xdotool({"windowsize", std::to_string(window), "300", "125"}));
    ASSERT_TRUE(vexa->waitForGeometry(x, window, {384, 336, 300, 125}));

    // 16 columns: tiles 18 x 6 at origin (6, 2) of the client area.
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "c", "1"}));
    const int top = kMenuHeight + 2;
    auto tiles = [&](int originX, int originY, bool border) {
        return [=, this](int px, int py) -> unsigned long {
            const int column = (px - originX) / 18, row = (py - originY) / 6;
            const bool onLine = (px - originX) % 18 == 0 || (py - originY) % 6 == 0 ||
                                px == originX + 288 || py == originY + 96;
            if (border && onLine) return black;
            return static_cast<unsigned long>(16 * row + column);
        };
    };
    EXPECT_TRUE(
        waitFor([&] { return pixelsAre(x, window, 6, top, 288, 96, tiles(6, top, false)); }));
    EXPECT_TRUE(pixelsAre(x, window, 6, top, 288, 96, tiles(6, top, false)));

    // Borders: one black line between tiles, on each tile's left column and top row, and
    // the last frame one pixel beyond the grid.
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "b"}));
    EXPECT_TRUE(
        waitFor([&] { return pixelsAre(x, window, 6, top, 289, 97, tiles(6, top, true)); }));
    EXPECT_TRUE(pixelsAre(x, window, 6, top, 289, 97, tiles(6, top, true)));

    // Shrink to Fit: client 288 x 96, the same tiles at origin (0, 0).
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "s"}));
    EXPECT_TRUE(vexa->waitForGeometry(x, window, {384, 336, 288, 96 + kMenuHeight}))
        << toString(windowGeometry(x, window));
    EXPECT_TRUE(waitFor([&] {
        return pixelsAre(x, window, 0, kMenuHeight, 288, 96, tiles(0, kMenuHeight, true));
    }));
    EXPECT_TRUE(pixelsAre(x, window, 0, kMenuHeight, 288, 96, tiles(0, kMenuHeight, true)));
}

TEST_F(PaletteWindowE2E, EnterEndsTheRunAndTheNextStartRestoresTheWindowWritingNothing) {
    ASSERT_NO_FATAL_FAILURE(startCentred());
    ASSERT_TRUE(xdotool({"windowmove", std::to_string(window), "100", "200"}));
    ASSERT_TRUE(vexa->waitForGeometry(x, window, {100, 200, 256, 96}));
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "c", "1"}));
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "b"}));
    ASSERT_TRUE(chooseMenu(window, {"Return"}));
    EXPECT_EQ(vexa->waitForExit(), 0);
    EXPECT_EQ(home.dword("View", "Columns"), 16u);
    EXPECT_EQ(home.dword("View", "Rows"), 16u);
    EXPECT_EQ(home.dword("View", "Borders"), 1u);
    EXPECT_EQ(home.dword("Window", "Bounds.left"), 100u);
    EXPECT_EQ(home.dword("Window", "Bounds.top"), 200u);
    EXPECT_EQ(home.dword("Window", "Bounds.right"), 356u);
    EXPECT_EQ(home.dword("Window", "Bounds.bottom"), 296u);
    EXPECT_EQ(home.dword("Window", "State"), 0u);
    EXPECT_EQ(home.dword("Window", "On top"), 0u);
    EXPECT_EQ(home.dword("CurrentVersion", "Version"), 65542u);

    const std::string saved = home.storeText();
    const auto savedTime = std::filesystem::last_write_time(home.storePath());
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_TRUE(vexa->waitForGeometry(x, window, {100, 200, 256, 96}))
        << toString(windowGeometry(x, window));
    // The stored grid: 16 x 16 tiles of 16 x 4 pixels at origin (0, 3), framed.
    EXPECT_TRUE(waitFor([&] {
        return pixelsAre(x, window, 1, kMenuHeight + 4, 15, 3, [](int, int) { return 0ul; }) &&
               pixelsAre(x, window, 17, kMenuHeight + 8, 15, 3, [](int, int) { return 17ul; });
    }));
    // Changes undone before closing are no changes: 256 columns and back to 16, and the
    // border toggled twice.
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "c", "5"}));
    // One-pixel tiles with borders: every frame covers its tile, the row is all black.
    EXPECT_TRUE(waitFor([&] {
        return pixelsAre(x, window, 0, kMenuHeight + 10, 256, 1,
                         [this](int, int) { return black; });
    }));
    // The menu worked, so no About was posted at start: it would have been modal.
    EXPECT_EQ(findWindowByName(x, "About Vexa", 0ms), 0u);
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "c", "1"}));
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "b"}));
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "b"}));
    ASSERT_TRUE(chooseMenu(window, {"Escape"}));
    EXPECT_EQ(vexa->waitForExit(), 0);
    EXPECT_EQ(home.storeText(), saved);
    EXPECT_EQ(std::filesystem::last_write_time(home.storePath()), savedTime);
}

// A palette window other than `known` among the top-level windows.
Window anotherPaletteWindow(::Display* display, Window known) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i)
        if (children[i] != known && title(display, children[i]) == "Vexa") found = children[i];
    if (children) XFree(children);
    return found;
}

TEST_F(PaletteWindowE2E, TwoCopiesOnOneStoreKeepEachOthersChanges) {
    ASSERT_NO_FATAL_FAILURE(startCentred());
    VexaProcess second(home);
    Window other = 0;
    ASSERT_TRUE(waitFor([&] { return (other = anotherPaletteWindow(x, window)) != 0; }));
    // One copy turns the borders on and ends; the other changes only the columns and ends
    // later, keeping the borders on.
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "b"}));
    ASSERT_TRUE(chooseMenu(window, {"Escape"}));
    EXPECT_EQ(vexa->waitForExit(), 0);
    EXPECT_EQ(home.dword("View", "Borders"), 1u);
    ASSERT_TRUE(chooseMenu(other, {"alt+v", "c", "1"}));
    ASSERT_TRUE(chooseMenu(other, {"Escape"}));
    EXPECT_EQ(second.waitForExit(), 0);
    EXPECT_EQ(home.dword("View", "Columns"), 16u);
    EXPECT_EQ(home.dword("View", "Borders"), 1u);
}

TEST_F(PaletteWindowE2E, StoredBoundsAreShiftedOntoTheScreenAndKeptOnTop) {
    home.seedVersion(65542, {{"Window\\Bounds.left", 900},
                             {"Window\\Bounds.top", 700},
                             {"Window\\Bounds.right", 1200},
                             {"Window\\Bounds.bottom", 900},
                             {"Window\\On top", 1}});
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_TRUE(vexa->waitForGeometry(x, window, {724, 568, 300, 200}))
        << toString(windowGeometry(x, window));
    const auto state = readLongProperty(x, window, "_NET_WM_STATE");
    EXPECT_EQ(state, std::vector<long>{
                         static_cast<long>(XInternAtom(x.get(), "_NET_WM_STATE_ABOVE", False))});
    // No shrink: the 256 one-pixel tiles are centred in the 300-pixel client area.
    EXPECT_TRUE(waitFor([&] {
        return pixelsAre(x, window, 22, kMenuHeight, 256, 175,
                         [](int px, int) { return static_cast<unsigned long>(px - 22); });
    }));
    // A press in the margin beside the grid reads the colour search, not the nearest tile:
    // the lowest entry holding the margin's colour.
    const unsigned long marginPixel = windowPixels(x, window, 5, kMenuHeight + 50, 1, 1).at(0);
    const std::vector<Rgb> colours = installedColors(x);
    const Rgb margin = colours.at(marginPixel);
    int index = 0;
    while (!(colours[index] == margin)) ++index;
    char expected[128];
    std::snprintf(expected, sizeof expected, "Vexa - [%03d] = 0x%06X = RGB(%d, %d, %d)", index,
                  margin.red | margin.green << 8 | margin.blue << 16, margin.red, margin.green,
                  margin.blue);
    ASSERT_TRUE(xdotool(
        {"mousemove", "--sync", "729", std::to_string(568 + kMenuHeight + 50), "mousedown", "1"}));
    EXPECT_EQ(waitForTitle(x, window, expected), expected);
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    EXPECT_EQ(waitForTitle(x, window, "Vexa"), "Vexa");

    ASSERT_TRUE(chooseMenu(window, {"Escape"}));
    EXPECT_EQ(vexa->waitForExit(), 0);
    // The window was captured where it was shifted to; the flag is written back as read.
    EXPECT_EQ(home.dword("Window", "Bounds.left"), 724u);
    EXPECT_EQ(home.dword("Window", "Bounds.bottom"), 768u);
    EXPECT_EQ(home.dword("Window", "On top"), 1u);
}

TEST_F(PaletteWindowE2E, FileExitEndsTheRun) {
    ASSERT_NO_FATAL_FAILURE(startCentred());
    ASSERT_TRUE(chooseMenu(window, {"alt+f", "x"}));
    EXPECT_EQ(vexa->waitForExit(), 0);
    EXPECT_EQ(home.dword("Window", "Bounds.left"), 384u);
}

}  // namespace
}  // namespace vexa::testing
