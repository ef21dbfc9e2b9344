// Painting with raw pixel values in an FLTK window: the frame buffer holds the values
// themselves, so the window shows whatever colours the installed colormap has, and changes
// colour when another client installs a colormap, with no repaint.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include "platform/pixel_painter.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/x11/x11_display.h"
#include "x11_test_support.h"

namespace vexa {
namespace {

using testing::Rgb;
using namespace std::chrono_literals;

constexpr int kTile = 8;

// Tiles 0..255 in 16 rows of 16, tile i painted with pixel value i.
void paintTiles() {
    constexpr int kSide = 16 * kTile;
    static const std::vector<std::uint8_t> tiles = [] {
        std::vector<std::uint8_t> block(kSide * kSide);
        for (int py = 0; py < kSide; ++py)
            for (int px = 0; px < kSide; ++px)
                block[py * kSide + px] = static_cast<std::uint8_t>(py / kTile * 16 + px / kTile);
        return block;
    }();
    putPixelBlock(0, 0, kSide, kSide, tiles.data());
}

template <class Base>
class PaintedWindow : public Base {
  public:
    PaintedWindow(int x, int y, int w, int h, std::function<void()> painter)
        : Base(x, y, w, h, "painted"), painter_(std::move(painter)) {}
    void draw() override {
        ++draws;
        painter_();
    }
    int draws = 0;

  private:
    std::function<void()> painter_;
};

// Runs FLTK's loop until `condition` holds (or 5 s pass).
bool pumpUntil(const std::function<bool()>& condition) {
    return testing::waitFor([&] {
        Fl::wait(0.01);
        return condition();
    });
}

void pumpFor(std::chrono::milliseconds time) {
    testing::waitFor(
        [] {
            Fl::wait(0.01);
            return false;
        },
        time);
}

template <class Window>
std::vector<unsigned long> showAndReadTiles(Window& window, testing::XConnection& x) {
    window.end();
    window.show();
    std::vector<unsigned long> pixels;
    pumpUntil([&] {
        pixels = testing::windowPixels(x, fl_xid(&window), 0, 0, 16 * kTile, 16 * kTile);
        return window.draws > 0 && !pixels.empty() && pixels.back() == 255;
    });
    return pixels;
}

void expectTiles(const std::vector<unsigned long>& pixels) {
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(256 * kTile * kTile));
    for (int i = 0; i < 256; ++i)
        for (int dy = 0; dy < kTile; ++dy)
            for (int dx = 0; dx < kTile; ++dx) {
                const int px = (i % 16) * kTile + dx, py = (i / 16) * kTile + dy;
                ASSERT_EQ(pixels[py * 16 * kTile + px], static_cast<unsigned long>(i))
                    << "tile " << i << " at " << px << "," << py;
            }
}

TEST(PixelPainterTest, TilesHoldTheirIndexAndFollowAnotherClientsColoursWithoutRepaint) {
    testing::XConnection x;
    PaintedWindow<Fl_Window> window(0, 0, 16 * kTile, 16 * kTile, paintTiles);
    const auto pixels = showAndReadTiles(window, x);
    expectTiles(pixels);
    const auto [left, top] = testing::rootPosition(x, fl_xid(&window));
    auto tileCentre = [&, left = left, top = top](int i) {
        return std::pair{left + (i % 16) * kTile + kTile / 2, top + (i / 16) * kTile + kTile / 2};
    };

    const std::string before = testing::temporaryPath("vexa-tiles-before", ".png");
    const std::string after = testing::temporaryPath("vexa-tiles-after", ".png");
    testing::takeScreenshot(before);
    const auto defaults = testing::colormapColors(x, DefaultColormap(x.get(), 0));
    for (int i : {0, 7, 10, 100, 200, 245, 255}) {
        auto [px, py] = tileCentre(i);
        EXPECT_EQ(testing::imagePixel(before, px, py), defaults[i]) << i;
    }

    const int drawsBefore = window.draws;
    testing::ColormapHolder holder(
        {"--color", "0-255=00FF00", "--color", "100=FF00FF", "--geometry", "50x50+600+600"});
    pumpFor(300ms);
    testing::takeScreenshot(after);
    EXPECT_EQ(window.draws, drawsBefore);  // no repaint was needed
    expectTiles(testing::windowPixels(x, fl_xid(&window), 0, 0, 16 * kTile, 16 * kTile));
    for (int i : {0, 7, 10, 200, 245, 255}) {
        auto [px, py] = tileCentre(i);
        EXPECT_EQ(testing::imagePixel(after, px, py), (Rgb{0, 0xFF, 0})) << i;
    }
    auto [px, py] = tileCentre(100);
    EXPECT_EQ(testing::imagePixel(after, px, py), (Rgb{0xFF, 0, 0xFF}));
    std::filesystem::remove(before);
    std::filesystem::remove(after);
}

TEST(PixelPainterTest, RealisingAPaletteRecoloursTheTilesWithoutRepaint) {
    testing::XConnection x;
    PaintedWindow<Fl_Double_Window> window(0, 0, 16 * kTile, 16 * kTile, paintTiles);
    expectTiles(showAndReadTiles(window, x));  // through the back buffer too
    const int drawsBefore = window.draws;

    X11Display display(fl_display);
    LogicalPalette black;
    black.count = 256;
    black.entries.fill({0, 0, 0, PC_NOCOLLAPSE});
    display.realisePalette(*display.createPalette(black));
    pumpFor(200ms);
    EXPECT_EQ(window.draws, drawsBefore);
    const auto [left, top] = testing::rootPosition(x, fl_xid(&window));
    const auto shown = testing::screenColors(x, left, top, 16 * kTile, 16 * kTile);
    const auto defaults = testing::colormapColors(x, DefaultColormap(x.get(), 0));
    for (int i = 0; i < 256; ++i) {
        const Rgb colour = shown[(i / 16) * kTile * 16 * kTile + (i % 16) * kTile];
        EXPECT_EQ(colour, (i >= 10 && i <= 245) ? Rgb{} : defaults[i]) << i;
    }
}

// Paints the window's area with pixel 0 from another connection.
void fillWindowBlack(testing::XConnection& x, unsigned long window, int w, int h) {
    GC gc = XCreateGC(x.get(), window, 0, nullptr);
    XSetForeground(x.get(), gc, 0);
    XFillRectangle(x.get(), window, gc, 0, 0, w, h);
    XFreeGC(x.get(), gc);
    XSync(x.get(), False);
}

// Blocks of pixel values land exactly as sent: rows of widths that are not a multiple of
// four, a block larger than the one before, a block over one just sent, and FLTK's clip,
// into a window and into a double-buffered window's back buffer. (Run on a server with and
// without shared-memory images.)
template <class Window>
void expectBlocksLandAsSent() {
    testing::XConnection x;
    constexpr int kW = 320, kH = 260;
    auto pattern = [](int seed, int w, int h) {
        std::vector<std::uint8_t> block(static_cast<std::size_t>(w) * h);
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px) block[py * w + px] = (px * 3 + py * 7 + seed) & 0xFF;
        return block;
    };
    const auto a = pattern(1, 37, 20), b = pattern(50, 301, 239), c = pattern(200, 13, 9);
    const auto clipped = pattern(99, 40, 40);
    const std::vector<std::uint8_t> background(static_cast<std::size_t>(kW) * kH, 1);
    PaintedWindow<Window> window(0, 0, kW, kH, [&] {
        putPixelBlock(0, 0, kW, kH, background.data());
        putPixelBlock(1, 2, 37, 20, a.data());
        putPixelBlock(10, 20, 301, 239, b.data());
        putPixelBlock(45, 35, 13, 9, c.data());
        fl_push_clip(0, 0, 20, 20);
        putPixelBlock(0, 0, 40, 40, clipped.data());  // only its top-left 20 x 20 shows
        fl_pop_clip();
    });
    window.end();
    window.show();
    // What the window should hold: the blocks laid in the same order, each cut to its top-left
    // `shown` x `shown` pixels (all of it unless clipped).
    std::vector<unsigned long> wanted(static_cast<std::size_t>(kW) * kH, 1);
    auto lay = [&](const std::vector<std::uint8_t>& block, int bx, int by, int w, int shown) {
        const int h = static_cast<int>(block.size()) / w;
        for (int py = 0; py < std::min(h, shown); ++py)
            for (int px = 0; px < std::min(w, shown); ++px)
                wanted[(by + py) * kW + bx + px] = block[py * w + px];
    };
    lay(a, 1, 2, 37, kW);
    lay(b, 10, 20, 301, kW);
    lay(c, 45, 35, 13, kW);
    lay(clipped, 0, 0, 40, 20);
    auto expectShown = [&](int drawsBefore) {
        std::vector<unsigned long> shown;
        pumpUntil([&] {
            shown = testing::windowPixels(x, fl_xid(&window), 0, 0, kW, kH);
            return window.draws > drawsBefore && shown == wanted;
        });
        ASSERT_EQ(shown.size(), wanted.size());
        for (std::size_t i = 0; i < wanted.size(); ++i)
            ASSERT_EQ(shown[i], wanted[i]) << "at " << i % kW << "," << i / kW;
    };
    expectShown(0);
    // Painted again, black first so that a repaint that sends nothing cannot pass.
    fillWindowBlack(x, fl_xid(&window), kW, kH);
    window.redraw();
    expectShown(window.draws);
}

TEST(PixelPainterTest, BlocksLandExactlyAsSent) {
    expectBlocksLandAsSent<Fl_Window>();
}

TEST(PixelPainterTest, BlocksLandExactlyAsSentThroughABackBuffer) {
    expectBlocksLandAsSent<Fl_Double_Window>();
}

}  // namespace
}  // namespace vexa
