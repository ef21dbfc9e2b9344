// Save As and Open of the palette files other programs use (GIMP, JASC-PAL, Adobe colour
// table, hex list) with another program's colormap installed, in a bare server, under twm
// and under openbox. The saved files are checked against the colormap the screen shows and
// the opened ones against the colormap installed afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "desktop.h"
#include "ui_driver.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

// The colours a file written in each format holds, read as its format describes it.
std::vector<Rgb> readSaved(const std::string& path) {
    const std::string text = fileText(path);
    std::vector<Rgb> colours;
    const std::string ext = fs::path(path).extension().string();
    if (ext == ".act") {
        if (text.size() != 772 || text.substr(768) != std::string("\x01\x00\xFF\xFF", 4)) return {};
        for (int i = 0; i < 256; ++i)
            colours.push_back({std::uint8_t(text[3 * i]), std::uint8_t(text[3 * i + 1]),
                               std::uint8_t(text[3 * i + 2])});
        return colours;
    }
    std::istringstream in(text);
    std::string line;
    int skip = ext == ".gpl" ? 4 : ext == ".pal" ? 3 : 0;
    while (std::getline(in, line)) {
        if (skip-- > 0) continue;
        unsigned r = 0, g = 0, b = 0;
        const int n = ext == ".hex" ? std::sscanf(line.c_str(), "%2x%2x%2x", &r, &g, &b)
                                    : std::sscanf(line.c_str(), "%u %u %u", &r, &g, &b);
        if (n != 3) return {};
        colours.push_back({std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
    }
    return colours;
}

// A palette file of `count` colours, colour i = (i, seed, 255 - i), in the layout the
// program named by the extension writes.
std::string paletteFile(const std::string& ext, int count, int seed) {
    std::string out;
    char line[64];
    if (ext == ".gpl") out = "GIMP Palette\nName: test\nColumns: 8\n#\n";
    if (ext == ".pal") out = "JASC-PAL\r\n0100\r\n" + std::to_string(count) + "\r\n";
    for (int i = 0; i < count; ++i) {
        if (ext == ".gpl")
            std::snprintf(line, sizeof line, "%3d %3d %3d\tUntitled\n", i, seed, 255 - i);
        if (ext == ".pal") std::snprintf(line, sizeof line, "%d %d %d\r\n", i, seed, 255 - i);
        if (ext == ".hex") std::snprintf(line, sizeof line, "%02x%02x%02x\n", i, seed, 255 - i);
        if (ext == ".act") std::snprintf(line, sizeof line, "%c%c%c", i, seed, 255 - i);
        out.append(line, ext == ".act" ? 3 : std::strlen(line));
    }
    if (ext == ".act") out.resize(768, '\0');
    return out;
}

using PaletteFilesE2E = VexaInDesktop;

TEST_P(PaletteFilesE2E, SaveAsWritesEachFormatAndOpenLoadsEach) {
    ASSERT_NO_FATAL_FAILURE(startVexa());
    ASSERT_NO_FATAL_FAILURE(showOtherProgram());
    const std::vector<Rgb> shown = installedColors(x);

    for (const char* name : {"saved.gpl", "saved.PAL", "saved.act", "saved.Hex"}) {
        ASSERT_NO_FATAL_FAILURE(useChooser("s", "Save As", folder + "/" + name));
        ASSERT_TRUE(waitFor([&] { return fs::exists(folder + "/" + name); })) << name;
        std::string lower = fs::path(name).extension().string();
        for (char& c : lower) c = char(std::tolower(c));
        fs::rename(folder + "/" + name, folder + "/check" + lower);
        EXPECT_EQ(readSaved(folder + "/check" + lower), shown) << name;
    }

    // Each format in turn, with fewer colours than entries 10 to 245 ask for where the
    // format allows it: entries 10 up to the file's count change, the rest stay.
    int seed = 1;
    for (auto [ext, count] : {std::pair{".gpl", 60}, {".pal", 120}, {".act", 256}, {".hex", 200}}) {
        const std::string file = folder + "/open" + ext;
        std::ofstream(file, std::ios::binary) << paletteFile(ext, count, seed * 40);
        std::vector<Rgb> expected = installedColors(x);
        for (int i = 10; i <= 245; ++i)
            if (i < count)
                expected[i] = {std::uint8_t(i), std::uint8_t(seed * 40), std::uint8_t(255 - i)};
        ASSERT_NO_FATAL_FAILURE(open(file));
        EXPECT_TRUE(waitFor([&] { return installedColors(x) == expected; })) << ext;
        const std::vector<Rgb> now = installedColors(x);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(toString(now[i]), toString(expected[i])) << ext << " entry " << i;
        ++seed;
    }

    // A malformed file is refused with the message of a bitmap of the wrong depth.
    std::ofstream(folder + "/bad.pal", std::ios::binary) << "JASC-PAL\r\n0100\r\n2\r\n1 2 300\r\n";
    const std::vector<Rgb> before = installedColors(x);
    ASSERT_NO_FATAL_FAILURE(typeIntoChooser("o", "Open", folder + "/bad.pal"));
    const auto message = waitForMessage(x, "Vexa");
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "An unsupported operation was attempted.");
    ASSERT_TRUE(turnTo(x, GetParam(), message->window));
    ASSERT_TRUE(pressKeys(message->window, "Return"));
    EXPECT_EQ(installedColors(x), before);
}

INSTANTIATE_TEST_SUITE_P(Desktops, PaletteFilesE2E,
                         ::testing::Values(Desktop::bare, Desktop::twm, Desktop::openbox),
                         [](const auto& setup) { return desktopName(setup.param); });

}  // namespace
}  // namespace vexa::testing
