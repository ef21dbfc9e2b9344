// The palette model over the real X11 display on an 8-bit Xvfb: what the palette window and
// the file and edit commands see of the screen's shared colormap.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include <filesystem>

#include "palette/palette_model.h"
#include "platform/x11/x11_display.h"
#include "x11_test_support.h"

namespace vexa {
namespace {

using testing::Rgb;

Rgb rgbOf(const PaletteEntry& e) {
    return {e.red, e.green, e.blue};
}

TEST(PaletteModelX11Test, ModelOfAn8BitScreenHas256EntriesAndReadsTheInstalledColours) {
    testing::XConnection x;
    X11Display display(x);
    PaletteModel model(display);
    EXPECT_EQ(model.entryCount(), 256);
    EXPECT_EQ(model.explicitPalette().record.entries[255], (PaletteEntry{0xFF, 0, 0, PC_EXPLICIT}));

    testing::ColormapHolder holder({"--color", "0-255=102030", "--color", "42=ABCDEF"});
    const auto snapshot = model.readSystemPalette(256);
    EXPECT_EQ(snapshot.count, 256);
    EXPECT_EQ(rgbOf(snapshot.entries[42]), (Rgb{0xAB, 0xCD, 0xEF}));
    EXPECT_EQ(rgbOf(snapshot.entries[43]), (Rgb{0x10, 0x20, 0x30}));
    // Realising the explicit palette, as painting does, changes no colour.
    model.applyPalette(*model.explicitPalette().object);
    EXPECT_EQ(testing::installedColormap(x), holder.colormap());
}

TEST(PaletteModelX11Test, ClearingTurnsEntries10To245BlackAndKeepsTheStaticColours) {
    testing::XConnection x;
    X11Display display(x);
    PaletteModel model(display);
    testing::ColormapHolder holder({"--color", "0-255=FFFFFF"});
    LogicalPalette black;
    black.count = model.entryCount();
    for (auto& e : black.entries) e.flags = PC_NOCOLLAPSE;
    model.applyPalette(*model.createPalette(black));
    const auto snapshot = model.readSystemPalette(256);
    const Rgb white{0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(rgbOf(snapshot.entries[i]), (i >= 10 && i <= 245) ? Rgb{} : white) << i;
}

TEST(PaletteModelX11Test, LoadingABmpColourTableSetsItsEntries10To245) {
    const std::string bmp = std::string(VEXA_TESTDATA_DIR) + "/bmp/g/pal8.bmp";
    if (!std::filesystem::exists(bmp)) GTEST_SKIP() << "no test data";
    const auto table = testing::readBmpColorTable(bmp);
    testing::XConnection x;
    X11Display display(x);
    PaletteModel model(display);
    const auto base = model.readSystemPalette(256);
    LogicalPalette loaded;
    loaded.count = 256;
    loaded.entries = base.entries;
    for (int i = 10; i <= 245; ++i)
        loaded.entries[i] = {table[i].red, table[i].green, table[i].blue, PC_NOCOLLAPSE};
    model.applyPalette(*model.createPalette(loaded));
    const auto shown = testing::installedColors(x);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(shown[i], (i >= 10 && i <= 245) ? table[i] : rgbOf(base.entries[i])) << i;
}

}  // namespace
}  // namespace vexa
