// The test bed itself: the colormap holder installs and holds exactly the colours it is
// given, the screenshot shows the screen through the installed colormap, and the support
// helpers read back what the server holds.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "png_encoder.h"
#include "x11_test_support.h"

namespace vexa::testing {
namespace {

TEST(TestBedTest, HolderInstallsItsColoursAndTheDefaultReturnsWhenItExits) {
    XConnection x;
    const Colormap defaultMap = DefaultColormap(x.get(), DefaultScreen(x.get()));
    const auto defaultColors = colormapColors(x, defaultMap);
    ASSERT_EQ(defaultColors.size(), 256u);
    ASSERT_EQ(installedColormap(x), defaultMap);

    ColormapHolder holder({"--color", "10-20=FF8000", "--color", "200=123456"});
    EXPECT_EQ(installedColormap(x), holder.colormap());
    auto colors = installedColors(x);
    ASSERT_EQ(colors.size(), 256u);
    for (int i = 0; i < 256; ++i) {
        Rgb expected = defaultColors[i];
        if (i >= 10 && i <= 20) expected = {0xFF, 0x80, 0x00};
        if (i == 200) expected = {0x12, 0x34, 0x56};
        EXPECT_EQ(colors[i], expected) << i;
    }

    holder.exit();
    EXPECT_TRUE(waitFor([&] { return installedColormap(x) == defaultMap; }));
    EXPECT_FALSE(colormapExists(x, holder.colormap()));
}

TEST(TestBedTest, HolderTakesABmpColourTable) {
    const std::string bmp = std::string(VEXA_TESTDATA_DIR) + "/bmp/g/pal8.bmp";
    if (!std::filesystem::exists(bmp)) GTEST_SKIP() << "no test data";
    auto table = readBmpColorTable(bmp);
    ASSERT_EQ(table.size(), 252u);  // this file's table has 252 entries
    XConnection x;
    ColormapHolder holder({"--bmp", bmp});
    auto colors = installedColors(x);
    for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(colors[i], table[i]) << i;
}

TEST(TestBedTest, HolderWindowHoldsTheRequestedPixelValues) {
    XConnection x;
    ColormapHolder grid({"--geometry", "64x64+10+10", "--name", "grid"});
    auto pixels = windowPixels(x, grid.window(), 0, 0, 64, 64);
    ASSERT_EQ(pixels.size(), 64u * 64u);
    for (int i = 0; i < 256; ++i)  // 16 x 16 cells of 4 x 4 pixels
        EXPECT_EQ(pixels[(i / 16) * 4 * 64 + (i % 16) * 4], static_cast<unsigned long>(i));
    EXPECT_EQ(findWindowByName(x, "grid"), grid.window());
    EXPECT_EQ(rootPosition(x, grid.window()), std::make_pair(10, 10));

    ColormapHolder solid({"--fill", "77", "--geometry", "20x20+100+10", "--no-install"});
    for (unsigned long p : windowPixels(x, solid.window(), 0, 0, 20, 20)) ASSERT_EQ(p, 77u);
    EXPECT_EQ(installedColormap(x), grid.colormap());  // --no-install left it alone
    solid.process().closeInput();
}

TEST(TestBedTest, ScreenshotShowsThePixelsThroughTheInstalledColormap) {
    XConnection x;
    ColormapHolder holder(
        {"--fill", "40", "--color", "40=C01020", "--geometry", "50x50+30+40", "--no-install"});
    const std::string path = temporaryPath("vexa-shot", ".png");
    // Not installed yet: the monitor shows pixel 40 in the default colormap's colour.
    takeScreenshot(path);
    const Rgb before = imagePixel(path, 55, 65);
    EXPECT_EQ(before, colormapColors(x, DefaultColormap(x.get(), 0))[40]);

    XInstallColormap(x, holder.colormap());
    XSync(x, False);
    takeScreenshot(path);
    EXPECT_EQ(imagePixel(path, 55, 65), (Rgb{0xC0, 0x10, 0x20}));
    EXPECT_EQ(imagePixel(path, 30, 40), (Rgb{0xC0, 0x10, 0x20}));
    EXPECT_EQ(screenColors(x, 79, 89, 1, 1).at(0), (Rgb{0xC0, 0x10, 0x20}));
    std::filesystem::remove(path);
}

TEST(TestBedTest, PngEncoderWritesImagesThatImageMagickDecodes) {
    // 200 x 120 RGB is 72120 raw bytes, more than one deflate block.
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < 120; ++y)
        for (int xx = 0; xx < 200; ++xx)
            rgb.insert(rgb.end(), {std::uint8_t(xx), std::uint8_t(y), 7});
    auto png = encodePng(200, 120, rgb);
    const std::string path = temporaryPath("vexa-png", ".png");
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    fwrite(png.data(), 1, png.size(), f);
    fclose(f);
    EXPECT_EQ(imagePixel(path, 0, 0), (Rgb{0, 0, 7}));
    EXPECT_EQ(imagePixel(path, 199, 119), (Rgb{199, 119, 7}));
    EXPECT_EQ(imagePixel(path, 150, 100), (Rgb{150, 100, 7}));
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace vexa::testing
