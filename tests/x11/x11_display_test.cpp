// The X11 display on a private 8-bit PseudoColor Xvfb: the probe, the system palette read
// from whatever colormap is installed, realisation through a private colormap, and screen
// pixels, checked against what the server holds and against other clients' colormaps.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include "platform/x11/x11_display.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>

#include "base/command_failure.h"
#include "x11_test_support.h"

namespace vexa {
namespace {

using testing::ColormapHolder;
using testing::Rgb;
using testing::XConnection;
using namespace std::chrono_literals;

std::array<PaletteEntry, 256> readAll(X11Display& display, int* count = nullptr) {
    std::array<PaletteEntry, 256> entries{};
    const int n = display.readSystemPaletteEntries(0, 256, entries.data());
    if (count) *count = n;
    return entries;
}

Rgb rgbOf(const PaletteEntry& e) {
    return {e.red, e.green, e.blue};
}

// A palette whose entry i is a colour no default colormap has at i.
LogicalPalette distinctPalette(std::uint8_t seed, std::uint8_t flags = PC_NOCOLLAPSE) {
    LogicalPalette palette;
    palette.count = 256;
    for (int i = 0; i < 256; ++i)
        palette.entries[i] = {static_cast<std::uint8_t>(i), seed,
                              static_cast<std::uint8_t>(255 - i), flags};
    return palette;
}

TEST(X11DisplayTest, ProbeReportsAPaletteOf256EntriesOnDepth8) {
    XConnection x;
    X11Display display(x);
    auto info = display.openInfo();
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->paletteBased());
    EXPECT_EQ(info->paletteSize(), 256);
}

TEST(X11DisplayTest, SystemPaletteIsTheInstalledColormapOfAnotherClientThenTheDefault) {
    XConnection x;
    X11Display display(x);
    const auto defaults = testing::colormapColors(x, DefaultColormap(x.get(), 0));
    {
        ColormapHolder holder({"--color", "0-255=204060", "--color", "5=FFFFFF", "--color",
                               "128=010203", "--color", "255=FE0080"});
        int count = 0;
        auto entries = readAll(display, &count);
        EXPECT_EQ(count, 256);
        const auto held = testing::colormapColors(x, holder.colormap());
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(rgbOf(entries[i]), held[i]) << i;
            EXPECT_EQ(entries[i].flags, 0) << i;
        }
        EXPECT_EQ(rgbOf(entries[5]), (Rgb{0xFF, 0xFF, 0xFF}));
        EXPECT_EQ(rgbOf(entries[128]), (Rgb{1, 2, 3}));
        EXPECT_EQ(rgbOf(entries[255]), (Rgb{0xFE, 0x00, 0x80}));
        holder.exit();
    }
    ASSERT_TRUE(testing::waitFor(
        [&] { return testing::installedColormap(x) == DefaultColormap(x.get(), 0); }));
    auto entries = readAll(display);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(rgbOf(entries[i]), defaults[i]) << i;
}

TEST(X11DisplayTest, PartialReadsCopyOnlyWhatTheScreenHas) {
    XConnection x;
    X11Display display(x);
    ColormapHolder holder({"--color", "250-255=0A0B0C", "--color", "3=112233"});
    std::array<PaletteEntry, 16> entries{};
    entries.fill({9, 9, 9, 9});
    EXPECT_EQ(display.readSystemPaletteEntries(250, 16, entries.data()), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(entries[i], (PaletteEntry{10, 11, 12, 0})) << i;
    EXPECT_EQ(entries[6], (PaletteEntry{9, 9, 9, 9}));  // beyond the palette: untouched
    EXPECT_EQ(display.readSystemPaletteEntries(3, 1, entries.data()), 1);
    EXPECT_EQ(entries[0], (PaletteEntry{0x11, 0x22, 0x33, 0}));
    EXPECT_EQ(display.readSystemPaletteEntries(256, 4, entries.data()), 0);
    EXPECT_EQ(display.readSystemPaletteEntries(-1, 4, entries.data()), 0);
    EXPECT_EQ(display.readSystemPaletteEntries(0, 0, entries.data()), 0);
}

TEST(X11DisplayTest, RealisationSetsEntries10To245AndKeepsTheStaticColoursOfTheScreen) {
    XConnection x;
    X11Display display(x);
    // Another client's colours are installed, so the static colours are not the default's.
    ColormapHolder holder({"--color", "0-255=336699", "--color", "0=000000", "--color", "9=0900FF",
                           "--color", "246=F6F6F6", "--color", "255=FFFFFF"});
    const auto before = testing::installedColors(x);
    const LogicalPalette palette = distinctPalette(77);
    auto object = display.createPalette(palette);
    ASSERT_TRUE(object);
    display.realisePalette(*object);

    EXPECT_EQ(testing::installedColormap(x), display.realisedColormap());
    EXPECT_NE(display.realisedColormap(), holder.colormap());
    const auto after = testing::installedColors(x);
    for (int i = 0; i < 256; ++i) {
        const Rgb expected = (i < 10 || i > 245) ? before[i] : rgbOf(palette.entries[i]);
        EXPECT_EQ(after[i], expected) << i;
    }
    // And the system palette read agrees with the server.
    auto entries = readAll(display);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(rgbOf(entries[i]), after[i]) << i;
}

TEST(X11DisplayTest, RealisingTwiceFreesThePreviousColormapAndDestructionTheLast) {
    XConnection x;
    const Colormap defaultMap = DefaultColormap(x.get(), 0);
    Colormap last = None;
    {
        X11Display display(x);
        auto first = display.createPalette(distinctPalette(1));
        auto second = display.createPalette(distinctPalette(2));
        display.realisePalette(*first);
        const Colormap firstMap = display.realisedColormap();
        ASSERT_NE(firstMap, None);
        EXPECT_TRUE(testing::colormapExists(x, firstMap));

        display.realisePalette(*second);
        last = display.realisedColormap();
        EXPECT_NE(last, firstMap);
        EXPECT_FALSE(testing::colormapExists(x, firstMap));
        EXPECT_EQ(testing::installedColormap(x), last);
        EXPECT_EQ(testing::installedColors(x)[100], (Rgb{100, 2, 155}));

        // The same palette again: still exactly one colormap of ours alive.
        display.realisePalette(*second);
        EXPECT_FALSE(testing::colormapExists(x, last));
        last = display.realisedColormap();
        EXPECT_TRUE(testing::colormapExists(x, last));
    }
    EXPECT_FALSE(testing::colormapExists(x, last));
    EXPECT_TRUE(testing::waitFor([&] { return testing::installedColormap(x) == defaultMap; }));
}

TEST(X11DisplayTest, RealisedColormapStaysAliveWhileAnotherClientHasTheScreen) {
    XConnection x;
    X11Display display(x);
    auto object = display.createPalette(distinctPalette(40));
    display.realisePalette(*object);
    const Colormap ours = display.realisedColormap();
    {
        ColormapHolder holder({"--color", "10-245=FF0000"});
        EXPECT_EQ(testing::installedColormap(x), holder.colormap());
        EXPECT_TRUE(testing::colormapExists(x, ours));
        EXPECT_EQ(rgbOf(readAll(display)[100]), (Rgb{0xFF, 0, 0}));
        // Realising again takes the static colours from the holder's installed colormap.
        display.realisePalette(*object);
        EXPECT_EQ(testing::installedColors(x)[100], (Rgb{100, 40, 155}));
        EXPECT_EQ(testing::installedColors(x)[0], testing::colormapColors(x, holder.colormap())[0]);
    }
    EXPECT_EQ(testing::installedColormap(x), display.realisedColormap());
}

TEST(X11DisplayTest, ExplicitEntriesNameHardwareEntriesAndChangeNothing) {
    XConnection x;
    X11Display display(x);
    const Colormap installed = testing::installedColormap(x);
    // An explicit palette, as the grid paints with: realising it changes no colour.
    auto explicitObject = display.createPalette(distinctPalette(0, PC_EXPLICIT));
    display.realisePalette(*explicitObject);
    EXPECT_EQ(display.realisedColormap(), Colormap(None));
    EXPECT_EQ(testing::installedColormap(x), installed);

    // Mixed: explicit entries keep the installed colour, the others are stored.
    LogicalPalette mixed = distinctPalette(9);
    mixed.entries[50].flags = PC_EXPLICIT;
    const Rgb kept = testing::installedColors(x)[50];
    display.realisePalette(*display.createPalette(mixed));
    EXPECT_EQ(testing::installedColors(x)[50], kept);
    EXPECT_EQ(testing::installedColors(x)[51], (Rgb{51, 9, 204}));
}

TEST(X11DisplayTest, ShortPalettesSetOnlyTheirEntriesAndEmptyOnesCannotBeMade) {
    XConnection x;
    X11Display display(x);
    const auto before = testing::installedColors(x);
    LogicalPalette shortPalette = distinctPalette(3);
    shortPalette.count = 20;
    display.realisePalette(*display.createPalette(shortPalette));
    const auto after = testing::installedColors(x);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(after[i], (i >= 10 && i < 20) ? rgbOf(shortPalette.entries[i]) : before[i]) << i;

    LogicalPalette empty;
    empty.count = 0;
    EXPECT_FALSE(display.createPalette(empty));
    LogicalPalette tooLong;
    tooLong.count = 257;
    EXPECT_FALSE(display.createPalette(tooLong));
}

TEST(X11DisplayTest, ScreenPixelIsTheColourOfAnotherClientsWindowAsColorRef) {
    XConnection x;
    X11Display display(x);
    // Pixel 77 shows the default colormap's colour until the holder installs its own.
    ColormapHolder holder(
        {"--fill", "77", "--color", "77=123456", "--geometry", "40x30+200+100", "--no-install"});
    const Rgb defaultColour = testing::colormapColors(x, DefaultColormap(x.get(), 0))[77];
    EXPECT_EQ(display.screenPixel(220, 110),
              makeColorRef(defaultColour.red, defaultColour.green, defaultColour.blue));
    XInstallColormap(x, holder.colormap());
    XSync(x, False);
    EXPECT_EQ(display.screenPixel(220, 110), 0x563412u);  // red in the low byte
    EXPECT_EQ(display.screenPixel(200, 100), 0x563412u);
    EXPECT_EQ(display.screenPixel(239, 129), 0x563412u);
    EXPECT_NE(display.screenPixel(240, 130), 0x563412u);  // just outside the window
}

// ImageMagick's display, a real program that is not ours, installs its private colormap
// while the pointer is in its window (no window manager needed).
TEST(X11DisplayTest, ReadsTheColoursImageMagickDisplayInstalls) {
    const std::string bmp = std::string(VEXA_TESTDATA_DIR) + "/bmp/g/pal8.bmp";
    if (!std::filesystem::exists(bmp)) GTEST_SKIP() << "no test data";
    const auto table = testing::readBmpColorTable(bmp);
    XConnection x;
    X11Display display(x);
    const Colormap defaultMap = DefaultColormap(x.get(), 0);
    {
        testing::ChildProcess viewer({"display", "-colormap", "Private", bmp});
        const Window window = testing::findWindowByName(x, "ImageMagick: pal8.bmp");
        ASSERT_NE(window, Window(0));
        const Colormap private_ = testing::windowColormap(x, window);
        ASSERT_NE(private_, defaultMap);
        const auto [left, top] = testing::rootPosition(x, window);
        testing::movePointer(x, left + 10, top + 10);
        ASSERT_TRUE(testing::waitFor([&] { return testing::installedColormap(x) == private_; }));

        const auto held = testing::colormapColors(x, private_);
        const auto entries = readAll(display);
        for (int i = 0; i < 256; ++i) EXPECT_EQ(rgbOf(entries[i]), held[i]) << i;
        for (const Rgb& c : table)  // every colour of the image is in the system palette
            EXPECT_NE(std::find(held.begin(), held.end(), c), held.end()) << testing::toString(c);

        // A pixel of the picture reads as its colour in the installed colormap.
        const auto pixels = testing::windowPixels(x, window, 30, 20, 1, 1);
        ASSERT_EQ(pixels.size(), 1u);
        const Rgb c = held.at(pixels[0]);
        EXPECT_EQ(display.screenPixel(left + 30, top + 20), makeColorRef(c.red, c.green, c.blue));
    }
    // display also allocated colours in the default colormap, so compare with it as it is now.
    ASSERT_TRUE(testing::waitFor([&] { return testing::installedColormap(x) == defaultMap; }));
    const auto entries = readAll(display);
    const auto defaults = testing::colormapColors(x, defaultMap);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(rgbOf(entries[i]), defaults[i]) << i;
}

TEST(X11DisplayTest, WithoutAConnectionThereIsNoInfoAndEveryOperationFails) {
    X11Display display(nullptr);
    EXPECT_FALSE(display.openInfo());
    auto expectUnavailable = [](const std::function<void()>& operation) {
        try {
            operation();
            ADD_FAILURE() << "no failure raised";
        } catch (const CommandFailure& failure) {
            EXPECT_EQ(failure.category(), FailureCategory::ResourceUnavailable);
        }
    };
    PaletteEntry entry;
    expectUnavailable([&] { display.readSystemPaletteEntries(0, 1, &entry); });
    expectUnavailable([&] { display.screenPixel(0, 0); });
    LogicalPalette palette;
    palette.count = 256;
    auto object = display.createPalette(palette);
    ASSERT_TRUE(object);
    expectUnavailable([&] { display.realisePalette(*object); });
}

TEST(X11DisplayTest, PointsOutsideTheScreenRaiseResourceUnavailable) {
    XConnection x;
    X11Display display(x);
    for (auto [px, py] : {std::pair{-1, 0}, std::pair{0, 768}, std::pair{1024, 5}}) {
        try {
            display.screenPixel(px, py);
            ADD_FAILURE() << px << "," << py << " gave a colour";
        } catch (const CommandFailure& failure) {
            EXPECT_EQ(failure.category(), FailureCategory::ResourceUnavailable);
        }
    }
    EXPECT_NO_THROW(display.screenPixel(1023, 767));  // the connection survived the errors
}

}  // namespace
}  // namespace vexa
