// Save As .png and .gif, and Open of the indexed PNG and GIF that ImageMagick writes, of a
// real PNG from another program and of a Windows RIFF palette, with another program's
// colormap installed, in a bare server, under twm and under openbox. The saved images are read back with
// ImageMagick; the opened files' tables are read as their formats describe them and checked
// against the colormap installed afterwards, entry by entry.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "desktop.h"
#include "ui_driver.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

std::uint32_t bigEndian32(const std::string& b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint8_t(b[at + 3]);
}

std::vector<Rgb> triples(const std::string& b, std::size_t at, std::size_t count) {
    std::vector<Rgb> colours;
    for (std::size_t i = 0; i < count && at + 3 * i + 2 < b.size(); ++i)
        colours.push_back({std::uint8_t(b[at + 3 * i]), std::uint8_t(b[at + 3 * i + 1]),
                           std::uint8_t(b[at + 3 * i + 2])});
    return colours;
}

// The PLTE of a PNG file.
std::vector<Rgb> plteOf(const std::string& png) {
    for (std::size_t at = 8; at + 8 <= png.size(); at += 12 + bigEndian32(png, at))
        if (png.compare(at + 4, 4, "PLTE") == 0)
            return triples(png, at + 8, bigEndian32(png, at) / 3);
    return {};
}

// The global colour table of a GIF file.
std::vector<Rgb> globalTableOf(const std::string& gif) {
    if (gif.size() < 13 || !(gif[10] & 0x80)) return {};
    return triples(gif, 13, std::size_t{2} << (gif[10] & 7));
}

// A RIFF palette of `count` entries, colour i = (255 - i, i, 77), flags 4.
std::string riffPalette(int count) {
    auto le = [](std::uint32_t v, int size) {
        std::string s;
        for (int i = 0; i < size; ++i) s += char(v >> (8 * i));
        return s;
    };
    std::string record = le(0x300, 2) + le(count, 2);
    for (int i = 0; i < count; ++i) record += {char(255 - i), char(i), char(77), char(4)};
    const std::string body = "PAL data" + le(std::uint32_t(record.size()), 4) + record;
    return "RIFF" + le(std::uint32_t(body.size()), 4) + body;
}

// The geometry and the colormap in index order that ImageMagick's identify reports.
struct Identified {
    std::string geometry;
    std::vector<Rgb> colormap;
};
Identified identify(const std::string& path) {
    Identified image;
    std::istringstream lines(runProgram({"identify", "-verbose", path}).value_or(""));
    bool inColormap = false;
    for (std::string line; std::getline(lines, line);) {
        unsigned index = 0, r = 0, g = 0, b = 0;
        if (line.rfind("  Geometry: ", 0) == 0) image.geometry = line.substr(12);
        if (inColormap && std::sscanf(line.c_str(), " %u: (%u,%u,%u)", &index, &r, &g, &b) == 4 &&
            index == image.colormap.size())
            image.colormap.push_back({std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
        else
            inColormap = line == "  Colormap:";
    }
    return image;
}

using IndexedImagesE2E = VexaInDesktop;

TEST_P(IndexedImagesE2E, SaveAsWritesPngAndGifAndOpenLoadsImagesAndRiffPalettes) {
    // ImageMagick's indexed PNG and GIF of a picture of 120 colours.
    std::ofstream ppm(folder + "/in.ppm");
    ppm << "P3 120 1 255\n";
    for (int i = 0; i < 120; ++i)
        ppm << (i * 2) << ' ' << (255 - i) << ' ' << (i * 37 % 256) << '\n';
    ppm.close();
    ASSERT_TRUE(runProgram(
        {"convert", folder + "/in.ppm", "-colors", "120", "PNG8:" + folder + "/im.png"}));
    ASSERT_TRUE(runProgram({"convert", folder + "/in.ppm", "-colors", "120", folder + "/im.gif"}));
    std::ofstream(folder + "/windows.pal", std::ios::binary) << riffPalette(200);
    std::vector<std::pair<std::string, std::vector<Rgb>>> files = {
        {folder + "/im.png", plteOf(fileText(folder + "/im.png"))},
        {folder + "/im.gif", globalTableOf(fileText(folder + "/im.gif"))},
        {folder + "/windows.pal", {}},
    };
    for (int i = 0; i < 200; ++i)
        files.back().second.push_back({std::uint8_t(255 - i), std::uint8_t(i), 77});
    const std::string real = std::string(VEXA_TESTDATA_DIR) + "/indexed/great.png";
    if (fs::exists(real)) files.emplace_back(real, plteOf(fileText(real)));
    for (const auto& [path, table] : files) ASSERT_GT(table.size(), 40u) << path;

    ASSERT_NO_FATAL_FAILURE(startVexa());
    ASSERT_NO_FATAL_FAILURE(showOtherProgram());
    const std::vector<Rgb> shown = installedColors(x);
    for (const char* name : {"saved.png", "saved.GIF"}) {
        const std::string path = folder + "/" + name;
        ASSERT_NO_FATAL_FAILURE(useChooser("s", "Save As", path));
        ASSERT_TRUE(waitFor([&] { return fs::exists(path); })) << name;
        const Identified image = identify(path);
        EXPECT_EQ(image.geometry, "256x32+0+0") << name;
        ASSERT_EQ(image.colormap.size(), 256u) << name;
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(toString(image.colormap[i]), toString(shown[i])) << name << " entry " << i;
    }

    // Entries 10 to 245 take the colours each file has there; the rest stay.
    for (const auto& [path, table] : files) {
        std::vector<Rgb> expected = installedColors(x);
        for (std::size_t i = 10; i <= 245 && i < table.size(); ++i) expected[i] = table[i];
        ASSERT_NO_FATAL_FAILURE(open(path));
        EXPECT_TRUE(waitFor([&] { return installedColors(x) == expected; })) << path;
        const std::vector<Rgb> now = installedColors(x);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(toString(now[i]), toString(expected[i])) << path << " entry " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, IndexedImagesE2E,
                         ::testing::Values(Desktop::bare, Desktop::twm, Desktop::openbox),
                         [](const auto& setup) { return desktopName(setup.param); });

}  // namespace
}  // namespace vexa::testing
