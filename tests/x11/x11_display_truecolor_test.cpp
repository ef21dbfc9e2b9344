// The X11 display on a 24-bit TrueColor Xvfb: not palette based, whatever it reports.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include <array>

#include "palette/palette_model.h"
#include "platform/x11/x11_display.h"
#include "x11_test_support.h"

namespace vexa {
namespace {

TEST(X11DisplayTrueColorTest, ProbeRefusesAndThePaletteReadsEmpty) {
    testing::XConnection x;
    ASSERT_EQ(DefaultVisual(x.get(), 0)->c_class, TrueColor);
    ASSERT_GT(DefaultVisual(x.get(), 0)->map_entries, 0);  // it does report a size
    X11Display display(x);
    auto info = display.openInfo();
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->paletteBased());

    std::array<PaletteEntry, 256> entries{};
    EXPECT_EQ(display.readSystemPaletteEntries(0, 256, entries.data()), 0);
    for (const PaletteEntry& e : entries) EXPECT_EQ(e, PaletteEntry{});

    // Realising does nothing on such a screen, and leaves no colormap behind.
    LogicalPalette palette;
    palette.count = 256;
    palette.entries.fill({1, 2, 3, PC_NOCOLLAPSE});
    display.realisePalette(*display.createPalette(palette));
    EXPECT_EQ(display.realisedColormap(), Colormap(None));
}

TEST(X11DisplayTrueColorTest, PaletteModelRefusesTheScreenAsNotPaletteDevice) {
    testing::XConnection x;
    X11Display display(x);
    try {
        PaletteModel model(display);
        ADD_FAILURE() << "a model was built on a TrueColor screen";
    } catch (const PaletteModelError& error) {
        EXPECT_TRUE(error.notPaletteDevice());
        EXPECT_EQ(error.category(), FailureCategory::SilentFailure);
    }
}

TEST(X11DisplayTrueColorTest, ScreenPixelStillReadsTheColour) {
    testing::XConnection x;
    X11Display display(x);
    GC gc = XCreateGC(x, x.root(), 0, nullptr);
    XSetForeground(x, gc, 0x00A0B0C0);  // red A0, green B0, blue C0
    XSetSubwindowMode(x, gc, IncludeInferiors);
    XFillRectangle(x, x.root(), gc, 10, 10, 5, 5);
    XFreeGC(x, gc);
    XSync(x, False);
    EXPECT_EQ(display.screenPixel(12, 12), makeColorRef(0xA0, 0xB0, 0xC0));
}

}  // namespace
}  // namespace vexa
