#include "palette/palette_formats.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "base/command_failure.h"
#include "palette/file_commands.h"
#include "palette/file_formats.h"
#include "palette/palette_model.h"
#include "support/fake_display.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

using testing::FakeDisplay;
using testing::TempDir;

// The golden files were written from the formats' descriptions for the fake display's
// colours: entry i is (i, 255 - i, 7i mod 256).
std::string golden(const std::string& name) {
    return testing::readFile(std::string(VEXA_GOLDEN_DIR) + "/" + name);
}

std::span<const std::uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

SystemPaletteSnapshot fakeSnapshot() {
    FakeDisplay display;
    return PaletteModel(display).readSystemPalette();
}

std::vector<std::array<int, 3>> coloursOf(const BitmapColourTable& t) {
    std::vector<std::array<int, 3>> colours;
    for (int i = 0; i < t.count; ++i)
        colours.push_back({t.entries[i].red, t.entries[i].green, t.entries[i].blue});
    return colours;
}

std::vector<std::array<int, 3>> fakeColours(int count = 256) {
    std::vector<std::array<int, 3>> colours;
    for (int i = 0; i < count; ++i) colours.push_back({i, 255 - i, 7 * i % 256});
    return colours;
}

// GIMP's reading of a palette as its format describes it: the magic line, then any line
// that is not a comment, "Name:" or "Columns:" is "R G B" and an optional name.
std::vector<std::array<int, 3>> gimpReads(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::vector<std::array<int, 3>> colours;
    if (!std::getline(in, line) || line != "GIMP Palette") return {};
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line.rfind("Name: ", 0) == 0 ||
            line.rfind("Columns: ", 0) == 0)
            continue;
        int r, g, b;
        if (std::sscanf(line.c_str(), "%d %d %d", &r, &g, &b) != 3) return {};
        colours.push_back({r, g, b});
    }
    return colours;
}

TEST(PaletteFormatsTest, WritersGiveTheGoldenFilesByteForByte) {
    const SystemPaletteSnapshot s = fakeSnapshot();
    EXPECT_EQ(encodeGimpPalette(s, "SysPal"), golden("SysPal.gpl"));
    EXPECT_EQ(encodeJascPalette(s), golden("SysPal.pal"));
    EXPECT_EQ(encodeAdobeTable(s), golden("SysPal.act"));
    EXPECT_EQ(encodeHexList(s), golden("SysPal.hex"));
    EXPECT_EQ(gimpReads(encodeGimpPalette(s, "a\nb")), fakeColours());
}

TEST(PaletteFormatsTest, SaveAsPicksTheWriterByTheFinalExtensionInAnyCase) {
    TempDir dir;
    FakeDisplay display;
    PaletteModel model(display);
    for (auto [name, goldenName] : {std::pair{"SysPal.gpl", "SysPal.gpl"},
                                    {"SysPal.PAL", "SysPal.pal"},
                                    {"SysPal.Act", "SysPal.act"},
                                    {"SysPal.hEx", "SysPal.hex"}}) {
        savePalette(dir.file(name), model);
        EXPECT_EQ(testing::readFile(dir.file(name)), golden(goldenName)) << name;
    }
    for (const char* name : {"SysPal.gpl.txt", "pal", "SysPal.gp"}) {
        savePalette(dir.file(name), model);
        EXPECT_EQ(testing::readFile(dir.file(name)).rfind("Vexa - Win32", 0), 0u) << name;
    }
}

TEST(PaletteFormatsTest, ReadersTakeTheGoldenFilesAndTheOtherProgramsLayouts) {
    using Reader = BitmapColourTable (*)(std::span<const std::uint8_t>);
    for (auto [name, read] : {std::pair<const char*, Reader>{"SysPal.gpl", readGimpPalette},
                              {"SysPal.pal", readJascPalette},
                              {"SysPal.act", readAdobeTable},
                              {"SysPal.hex", readHexList}}) {
        const std::string bytes = golden(name);
        EXPECT_EQ(openFormatFor(bytesOf(bytes), name).read, read) << name;
        EXPECT_EQ(coloursOf(read(bytesOf(bytes))), fakeColours()) << name;
    }
    const std::vector<std::array<int, 3>> three = {{255, 0, 0}, {0, 128, 0}, {1, 2, 3}};
    // GIMP 2.10 with colour names, aligned columns and CR LF from a Windows copy.
    const std::string gimp =
        "GIMP Palette\r\nName: Three\r\nColumns: 3\r\n#\r\n# made by hand\r\n"
        "255   0   0\tRed\r\n  0 128   0\tdark green\r\n  1   2   3\r\n";
    const std::string jasc = "JASC-PAL\n0100\n3\n255 0 0\n0 128 0\n1 2 3\n\n";
    const std::string hex = "FF0000\n008000\r\n010203";
    std::string act(768, '\0'), act16(772, '\0');
    act.replace(0, 9, "\xFF\0\0\0\x80\0\x01\x02\x03", 9);
    act16.replace(0, 9, act.substr(0, 9));
    act16.replace(768, 4, "\0\x03\0\x01", 4);
    EXPECT_EQ(coloursOf(readGimpPalette(bytesOf(gimp))), three);
    EXPECT_EQ(coloursOf(readJascPalette(bytesOf(jasc))), three);
    EXPECT_EQ(coloursOf(readHexList(bytesOf(hex))), three);
    EXPECT_EQ(coloursOf(readAdobeTable(bytesOf(act16))), three);
    EXPECT_EQ(readAdobeTable(bytesOf(act)).count, 256);
    EXPECT_EQ(openFormatFor(bytesOf(act), "x.ACT").read, readAdobeTable);
    // Content decides, not the name; 768 bytes are a colour table only when named so.
    EXPECT_EQ(openFormatFor(bytesOf(jasc), "x.gpl").read, readJascPalette);
    EXPECT_EQ(openFormatFor(bytesOf(hex), "x.act").read, readHexList);
    EXPECT_THROW(openFormatFor(bytesOf(act), "x.pal"), CommandFailure);
    // Any other file is read as a bitmap.
    EXPECT_EQ(openFormatFor(bytesOf(std::string("Vexa - Win32")), "x.txt").extension, "bmp");
}

// "accepted", "unsupported", "general" or the message.
std::string loadVerdict(const std::string& path, FakeDisplay& display) {
    try {
        loadPalette(path, PaletteModel(display));
    } catch (const CommandFailure& e) {
        if (e.category() == FailureCategory::UnsupportedFormat) {
            EXPECT_EQ(e.message(), "An unsupported operation was attempted.");
            return "unsupported";
        }
        return e.message().find("unnamed file") != std::string::npos ? "general" : e.message();
    }
    return "accepted";
}

TEST(PaletteFormatsTest, MalformedFilesAreRefusedAndLeaveThePaletteAlone) {
    std::string lines257, gimp257 = "GIMP Palette\n";
    for (int i = 0; i < 257; ++i) lines257 += "000000\n", gimp257 += "0 0 0\n";
    std::string act700(700, 'x'), actCount0(772, '\0'), actCount257(772, '\0');
    actCount257[768] = 1, actCount257[769] = 1;
    const std::map<std::string, std::string> malformed = {
        {"empty.gpl", ""},
        {"header-only.gpl", "GIMP Palette\nName: x\n"},
        {"short.pal", "JASC-PAL\r\n0100\r\n256\r\n1 2 3\r\n"},
        {"cut-line.pal", "JASC-PAL\n0100\n2\n1 2 3\n4 5\n"},
        {"short.act", act700},
        {"wrong-header.gpl", "GIMP palette\n1 2 3\n"},
        {"wrong-version.pal", "JASC-PAL\n0200\n1\n1 2 3\n"},
        {"not-hex.hex", "00ff00\n00fg00\n"},
        {"five-digits.hex", "00ff00\n00ff0\n"},
        {"over255.gpl", "GIMP Palette\n1 256 3\n"},
        {"over255.pal", "JASC-PAL\n0100\n1\n300 0 0\n"},
        {"huge.gpl", "GIMP Palette\n99999999999999999999 0 0\n"},
        {"negative.gpl", "GIMP Palette\n-1 0 0\n"},
        {"comma.pal", "JASC-PAL\n0100\n1\n1,2,3\n"},
        {"more-than-said.pal", "JASC-PAL\n0100\n1\n1 2 3\n4 5 6\n"},
        {"count-0.pal", "JASC-PAL\n0100\n0\n"},
        {"count-257.pal", "JASC-PAL\n0100\n257\n" + lines257},
        {"257.hex", lines257},
        {"257.gpl", gimp257},
        {"count-0.act", actCount0},
        {"count-257.act", actCount257},
        {"binary.hex", std::string("\0\1\2", 3)},
    };
    TempDir dir;
    for (const auto& [name, bytes] : malformed) {
        testing::writeFile(dir.file(name), bytes);
        FakeDisplay display;
        const auto before = display.hardware;
        EXPECT_EQ(loadVerdict(dir.file(name), display), "unsupported") << name;
        EXPECT_EQ(display.hardware, before) << name;
    }
    // Anything else is still read as a bitmap, with the bitmap's verdicts.
    testing::writeFile(dir.file("notes.txt"), "some notes\n");
    FakeDisplay display;
    EXPECT_EQ(loadVerdict(dir.file("notes.txt"), display), "general");
}

TEST(PaletteFormatsTest, LoadingTakesEntriesTenTo245ThatTheFileHas) {
    TempDir dir;
    std::string sixteen = "JASC-PAL\r\n0100\r\n16\r\n";
    for (int i = 0; i < 16; ++i) sixteen += "9 8 7\r\n";
    testing::writeFile(dir.file("sixteen.pal"), sixteen);
    FakeDisplay display(40);
    auto expected = display.hardware;
    for (int i = 10; i < 16; ++i) expected[i] = {9, 8, 7, 0};
    EXPECT_EQ(loadVerdict(dir.file("sixteen.pal"), display), "accepted");
    EXPECT_EQ(display.hardware, expected);
    EXPECT_EQ(display.lastRealised.entries[12].flags, PC_NOCOLLAPSE);

    // A full file saved from one display loads into another's entries 10 to 245.
    for (const char* name : {"full.gpl", "full.pal", "full.act", "full.hex"}) {
        FakeDisplay source(7), target(90);
        savePalette(dir.file(name), PaletteModel(source));
        auto want = target.hardware;
        for (int i = 10; i <= 245; ++i) want[i] = source.hardware[i];
        EXPECT_EQ(loadVerdict(dir.file(name), target), "accepted") << name;
        EXPECT_EQ(target.hardware, want) << name;
    }
}

}  // namespace
}  // namespace vexa
