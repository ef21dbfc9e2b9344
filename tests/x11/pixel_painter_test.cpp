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

#include <filesystem>
#include <functional>

#include "platform/x11/x11_display.h"
#include "x11_test_support.h"

namespace vexa {
namespace {

using testing::Rgb;
using namespace std::chrono_literals;

constexpr int kTile = 8;

// Tiles 0..255 in 16 rows of 16, tile i painted with pixel value i.
void paintTiles() {
    for (int i = 0; i < 256; ++i)
        fillPixelRect((i % 16) * kTile, (i / 16) * kTile, kTile, kTile, i);
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

TEST(PixelPainterTest, FramesAreOnePixelInsideTheRectangleAndFltkKeepsItsColour) {
    testing::XConnection x;
    unsigned long red = 0;
    PaintedWindow<Fl_Window> window(0, 0, 64, 32, [&] {
        fillPixelRect(0, 0, 64, 32, 1);
        fillPixelRect(10, 10, 20, 10, 5);
        framePixelRect(10, 10, 20, 10, 200);
        framePixelRect(40, 10, 1, 5, 7);  // a one-pixel wide frame is a line
        framePixelRect(45, 10, 0, 5, 8);  // empty: nothing
        fillPixelRect(45, 10, 5, -1, 8);
        fl_push_clip(50, 0, 4, 4);  // FLTK's clip region applies
        fillPixelRect(48, 0, 8, 8, 9);
        fl_pop_clip();
        fl_color(FL_RED);
        red = fl_xpixel(FL_RED);
        fillPixelRect(0, 30, 2, 2, 3);
        fl_rectf(60, 28, 4, 4);  // in FLTK's colour, not the last raw pixel
    });
    window.end();
    window.show();
    std::vector<unsigned long> p;
    auto at = [&](int px, int py) { return p[py * 64 + px]; };
    ASSERT_TRUE(pumpUntil([&] {
        p = testing::windowPixels(x, fl_xid(&window), 0, 0, 64, 32);
        return window.draws > 0 && p.size() == 64u * 32u && at(0, 0) == 1;
    }));
    for (int px = 10; px < 30; ++px) {
        EXPECT_EQ(at(px, 10), 200u) << px;
        EXPECT_EQ(at(px, 19), 200u) << px;
        EXPECT_EQ(at(px, 20), 1u) << px;
    }
    for (int py = 10; py < 20; ++py) {
        EXPECT_EQ(at(10, py), 200u) << py;
        EXPECT_EQ(at(29, py), 200u) << py;
        EXPECT_EQ(at(30, py), 1u) << py;
        EXPECT_EQ(at(9, py), 1u) << py;
    }
    EXPECT_EQ(at(11, 11), 5u);
    EXPECT_EQ(at(28, 18), 5u);
    for (int py = 10; py < 15; ++py) EXPECT_EQ(at(40, py), 7u) << py;
    EXPECT_EQ(at(40, 15), 1u);
    EXPECT_EQ(at(41, 12), 1u);
    EXPECT_EQ(at(45, 10), 1u);
    EXPECT_EQ(at(50, 0), 9u);
    EXPECT_EQ(at(53, 3), 9u);
    EXPECT_EQ(at(49, 0), 1u);
    EXPECT_EQ(at(54, 0), 1u);
    EXPECT_EQ(at(50, 4), 1u);
    EXPECT_EQ(at(1, 31), 3u);
    EXPECT_EQ(at(61, 30), red);
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
    PaintedWindow<Window> window(0, 0, kW, kH, [&] {
        fillPixelRect(0, 0, kW, kH, 1);
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
