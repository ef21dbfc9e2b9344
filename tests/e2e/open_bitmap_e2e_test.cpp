// File > Open of a bitmap that ImageMagick writes (a V5 header, fewer than 256 colours),
// with another program's colormap installed, in each desktop: a bare server, twm and
// openbox.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "desktop.h"
#include "ui_driver.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kColours = 40;

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OpenBitmapE2E : public ::testing::TestWithParam<Desktop> {
  protected:
    void TearDown() override { fs::current_path("/"); }

    // Opens `file` through the menu and the chooser, turning to each as a user does.
    void open(const std::string& file) {
        ASSERT_TRUE(turnTo(x_, GetParam(), window_));
        ASSERT_TRUE(chooseMenu(window_, {"alt+f", "o"}));
        const Window chooser = waitForChooser(x_, "Open");
        ASSERT_NE(chooser, 0u);
        ASSERT_TRUE(waitForSteadyGeometry(x_, chooser));
        ASSERT_TRUE(turnTo(x_, GetParam(), chooser));
        ASSERT_TRUE(typeFileName(chooser, file));
        ASSERT_TRUE(waitUntilGone(x_, "Open"));
        ASSERT_TRUE(turnTo(x_, GetParam(), window_));
    }

    XConnection x_;
    ConfigHome home_;
    std::unique_ptr<WindowManager> manager_;
    Window window_ = 0;
};

TEST_P(OpenBitmapE2E, ImageMagicksBitmapSetsItsColoursAndKeepsTheRest) {
    home_.seedVersion();
    const std::string dir = home_.path() + "/files";
    fs::create_directories(dir);
    fs::current_path(dir);
    manager_ = std::make_unique<WindowManager>(x_, GetParam());

    // ImageMagick makes the bitmap from a picture of 40 colours.
    std::vector<Rgb> colours;
    std::ofstream ppm(dir + "/in.ppm");
    ppm << "P3 " << kColours << " 1 255\n";
    for (int i = 0; i < kColours; ++i) {
        colours.push_back({std::uint8_t(i * 53 + 7), std::uint8_t(255 - i * 5), std::uint8_t(90)});
        ppm << int(colours.back().red) << ' ' << int(colours.back().green) << " 90\n";
    }
    ppm.close();
    ASSERT_TRUE(runProgram({"convert", dir + "/in.ppm", "-colors", std::to_string(kColours),
                            "-type", "Palette", dir + "/im.bmp"}));
    const std::string written = fileText(dir + "/im.bmp");
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
    std::ofstream(dir + "/exact.bmp", std::ios::binary) << exact;

    VexaProcess vexa(home_);
    window_ = vexa.waitForWindow(x_);
    ASSERT_NE(window_, 0u);
    ASSERT_TRUE(waitForSteadyGeometry(x_, window_));
    std::vector<std::string> holderArguments{"--color",        "0-99=FF8000", "--color",
                                             "100-199=0080FF", "--color",     "200-255=40C040",
                                             "--geometry",     "64x64+10+10"};
    if (GetParam() != Desktop::bare) holderArguments.push_back("--no-install");
    ColormapHolder other(holderArguments);
    if (GetParam() != Desktop::bare) {
        ASSERT_TRUE(turnTo(x_, GetParam(), other.window()));
    }
    ASSERT_TRUE(waitFor([&] { return installedColormap(x_) == other.colormap(); }));
    ASSERT_TRUE(waitFor([&] { return windowColormap(x_, window_) == other.colormap(); }));

    // The file declaring 40 colours sets entries 10 to 39 and keeps the rest as they were;
    // ImageMagick's own also sets 40 to 245, to the black of its padding.
    for (const char* name : {"exact.bmp", "im.bmp"}) {
        const std::vector<Rgb> before = installedColors(x_);
        const int count = std::string(name) == "exact.bmp" ? kColours : 256;
        std::vector<Rgb> expected = before;
        for (int i = 10; i <= 245 && i < count; ++i) expected[i] = table->colors[i];
        ASSERT_NO_FATAL_FAILURE(open(dir + "/" + name));
        EXPECT_TRUE(waitFor([&] { return installedColors(x_) == expected; })) << name;
        const std::vector<Rgb> shown = installedColors(x_);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(toString(shown[i]), toString(expected[i])) << name << " entry " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, OpenBitmapE2E,
                         ::testing::Values(Desktop::bare, Desktop::twm, Desktop::openbox),
                         [](const auto& setup) { return desktopName(setup.param); });

}  // namespace
}  // namespace vexa::testing
