// File > Open of a bitmap that ImageMagick writes (a V5 header, fewer than 256 colours),
// with another program's colormap installed, in each desktop: a bare server, twm and
// openbox.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "desktop.h"
#include "ui_driver.h"

namespace vexa::testing {
namespace {

constexpr int kColours = 40;

using OpenBitmapE2E = VexaInDesktop;

TEST_P(OpenBitmapE2E, ImageMagicksBitmapSetsItsColoursAndKeepsTheRest) {
    // ImageMagick makes the bitmap from a picture of 40 colours.
    std::vector<Rgb> colours;
    std::ofstream ppm(folder + "/in.ppm");
    ppm << "P3 " << kColours << " 1 255\n";
    for (int i = 0; i < kColours; ++i) {
        colours.push_back({std::uint8_t(i * 53 + 7), std::uint8_t(255 - i * 5), std::uint8_t(90)});
        ppm << int(colours.back().red) << ' ' << int(colours.back().green) << " 90\n";
    }
    ppm.close();
    ASSERT_TRUE(runProgram({"convert", folder + "/in.ppm", "-colors", std::to_string(kColours),
                            "-type", "Palette", folder + "/im.bmp"}));
    const std::string written = fileText(folder + "/im.bmp");
    ASSERT_GT(written.size(), 138u);
    ASSERT_EQ(written[14], 124) << "not the V5 header ImageMagick writes";
    const auto table = parseBmpColorTable(written);
    ASSERT_TRUE(table && table->bitsPerPixel == 8);
    std::vector<Rgb> first(table->colors.begin(), table->colors.begin() + kColours);
    auto byValue = [](const Rgb& a, const Rgb& b) { return toString(a) < toString(b); };
    std::ranges::sort(first, byValue);
    std::ranges::sort(colours, byValue);
    ASSERT_EQ(first, colours);
    // ImageMagick 6 pads the table to 256 entries; the same file declaring only its colours.
    std::string exact = written;
    exact.replace(46, 4, std::string{char(kColours), 0, 0, 0});
    std::ofstream(folder + "/exact.bmp", std::ios::binary) << exact;

    ASSERT_NO_FATAL_FAILURE(startVexa());
    ASSERT_NO_FATAL_FAILURE(showOtherProgram());

    // The file declaring 40 colours sets entries 10 to 39 and keeps the rest as they were;
    // ImageMagick's own also sets 40 to 245, to the black of its padding.
    for (const char* name : {"exact.bmp", "im.bmp"}) {
        const std::vector<Rgb> before = installedColors(x);
        const int count = std::string(name) == "exact.bmp" ? kColours : 256;
        std::vector<Rgb> expected = before;
        for (int i = 10; i <= 245 && i < count; ++i) expected[i] = table->colors[i];
        ASSERT_NO_FATAL_FAILURE(open(folder + "/" + name));
        EXPECT_TRUE(waitFor([&] { return installedColors(x) == expected; })) << name;
        const std::vector<Rgb> shown = installedColors(x);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(toString(shown[i]), toString(expected[i])) << name << " entry " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, OpenBitmapE2E,
                         ::testing::Values(Desktop::bare, Desktop::twm, Desktop::openbox),
                         [](const auto& setup) { return desktopName(setup.param); });

}  // namespace
}  // namespace vexa::testing
