#include "palette/palette_bitmap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/command_failure.h"
#include "palette/palette_model.h"
#include "support/fake_display.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

using testing::FakeDisplay;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

// An 8-bit BMP start whose colour table entry i holds blue 3i, green 2i, red i.
Bytes bitmapStart(std::uint16_t bitsPerPixel = 8, std::uint8_t headerSize = 40,
                  std::uint8_t compression = 0) {
    Bytes b(1078 + 64, 0);
    b[0] = 'B', b[1] = 'M', b[14] = headerSize, b[30] = compression;
    b[28] = std::uint8_t(bitsPerPixel), b[29] = std::uint8_t(bitsPerPixel >> 8);
    for (int i = 0; i < 256; ++i)
        b[54 + 4 * i] = std::uint8_t(3 * i), b[55 + 4 * i] = std::uint8_t(2 * i),
                   b[56 + 4 * i] = std::uint8_t(i), b[57 + 4 * i] = 0xEE;
    return b;
}

// "accepted", "general" (a file error naming no file), "unsupported", or the message.
std::string verdict(const std::function<void()>& read) {
    try {
        read();
    } catch (const CommandFailure& e) {
        if (e.category() == FailureCategory::UnsupportedFormat) return "unsupported";
        if (e.message() == "An unknown error occurred while accessing an unnamed file.")
            return "general";
        return e.message();
    }
    return "accepted";
}

std::string tableVerdict(const Bytes& b) {
    return verdict([&] { readBitmapColourTable(b); });
}

TEST(PaletteBitmapTest, ImageIsTheDocumented9270Bytes) {
    FakeDisplay display;
    PaletteModel model(display);
    const Bytes image = buildPaletteImage(model.readSystemPalette(16));  // count plays no part
    ASSERT_EQ(image.size(), 9270u);
    Bytes head = {0x42, 0x4D, 0x36, 0x24, 0,    0, 0, 0,    0, 0, 0x36, 0x04, 0, 0,    0x28,
                  0,    0,    0,    0x00, 0x01, 0, 0, 0x20, 0, 0, 0,    0x01, 0, 0x08, 0};
    head.resize(54, 0);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 54), head);
    EXPECT_EQ(Bytes(image.begin() + 54, image.begin() + 62), (Bytes{0, 255, 0, 0, 7, 254, 1, 0}));
    EXPECT_EQ(Bytes(image.begin() + 118, image.begin() + 1078), Bytes(960, 0));  // 16.. unread
    for (std::size_t at = 1078; at < image.size(); ++at) ASSERT_EQ(image[at], (at - 1078) % 256);
}

TEST(PaletteBitmapTest, ReaderAcceptsOrRefusesByItsFailureRows) {
    const Bytes good = bitmapStart();
    EXPECT_EQ(tableVerdict({}), "general");
    EXPECT_EQ(tableVerdict(Bytes(good.begin(), good.begin() + 13)), "general");
    for (auto type : {"MB", "BA", "bm"})
        EXPECT_EQ(tableVerdict(Bytes{Bytes::value_type(type[0]), Bytes::value_type(type[1])}),
                  "general");
    Bytes notBm = good;
    notBm[1] = 'A';
    EXPECT_EQ(tableVerdict(notBm), "general");
    EXPECT_EQ(tableVerdict(Bytes(good.begin(), good.begin() + 53)), "unsupported");
    for (std::uint16_t bpp : {1, 4, 16, 24, 32, 0x108})
        EXPECT_EQ(tableVerdict(bitmapStart(bpp)), "unsupported") << bpp;
    EXPECT_EQ(tableVerdict(Bytes(good.begin(), good.begin() + 1077)), "unsupported");
    EXPECT_EQ(tableVerdict(Bytes(good.begin(), good.begin() + 1078)), "accepted");
    // A longer information header, RLE compression or an OS/2 header size change nothing:
    // the table is always the 1024 bytes after the first 40 of the header.
    for (auto [size, compression] : {std::pair{124, 0}, std::pair{40, 1}, std::pair{12, 2}}) {
        const BitmapColourTable table = readBitmapColourTable(bitmapStart(8, size, compression));
        EXPECT_EQ(table[100], (RgbQuad{44, 200, 100, 0xEE}));
        EXPECT_EQ(table[255], (RgbQuad{0xFD, 0xFE, 0xFF, 0xEE}));
    }
}

TEST(PaletteBitmapTest, WrittenFileLoadsBackIntoEntriesTenTo245Only) {
    TempDir dir;
    const std::string path = dir.file("SysPal.bmp");
    FakeDisplay source(3), target(100);
    const auto before = target.hardware;
    writePaletteBitmap(path, PaletteModel(source));
    loadPaletteBitmap(path, PaletteModel(target));
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(target.hardware[i], i < 10 || i > 245 ? before[i] : source.hardware[i]) << i;
    EXPECT_EQ(target.lastRealised.entries[10].flags, PC_NOCOLLAPSE);
    // A failed save leaves the file it would have replaced intact.
    const std::string saved = testing::readFile(path);
    target.screenUnreachable = true;
    EXPECT_EQ(verdict([&] { writePaletteBitmap(path, PaletteModel(target)); }),
              "A required resource was unavailable.");
    EXPECT_EQ(testing::readFile(path), saved);
    EXPECT_EQ(dir.entries(), std::set<std::string>{"SysPal.bmp"});
}

TEST(PaletteBitmapTest, LoadedPaletteKeepsTheSnapshotsStaticEntriesWithTheirFlags) {
    SystemPaletteSnapshot s{};
    s.entries.fill({9, 8, 7, PC_EXPLICIT});
    const LogicalPalette p = buildLoadedPalette(readBitmapColourTable(bitmapStart()), s);
    EXPECT_EQ((std::pair{p.version, p.count}),
              (std::pair<std::uint16_t, std::uint16_t>{0x300, 256}));
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(p.entries[i],
                  (i < 10 || i > 245 ? s.entries[i]
                                     : PaletteEntry{std::uint8_t(i), std::uint8_t(2 * i),
                                                    std::uint8_t(3 * i), PC_NOCOLLAPSE}));
}

TEST(PaletteBitmapTest, FailedLoadLeavesTheSystemPaletteUnchanged) {
    TempDir dir;
    FakeDisplay display;
    PaletteModel model(display);
    const auto before = display.hardware;
    const Bytes rgb = bitmapStart(24), good = bitmapStart();
    testing::writeFile(dir.file("rgb.bmp"), std::string(rgb.begin(), rgb.end()));
    testing::writeFile(dir.file("good.bmp"), std::string(good.begin(), good.end()));
    testing::writeFile(dir.file("note.bmp"), "not a bitmap");
    auto load = [&](const std::string& name) {
        return verdict([&] { loadPaletteBitmap(dir.file(name), model); });
    };
    EXPECT_EQ(load("rgb.bmp"), "unsupported");
    EXPECT_EQ(load("note.bmp"), "general");
    EXPECT_EQ(load("gone.bmp"), dir.file("gone.bmp") + " was not found.");
    display.paletteCreationFails = true;
    EXPECT_EQ(load("good.bmp"), "Out of memory.");
    display.paletteCreationFails = false;
    display.screenUnreachable = true;
    EXPECT_EQ(load("good.bmp"), "A required resource was unavailable.");
    EXPECT_EQ(display.hardware, before);
    EXPECT_EQ(display.count("realise"), 0);
}

// The verdict the reader's rules give, derived from the header bytes alone.
std::string expectedVerdict(const std::string& b) {
    if (b.size() < 14 || b[0] != 'B' || b[1] != 'M') return "general";
    const bool eightBit = b.size() >= 54 && b[28] == 8 && b[29] == 0;
    return eightBit && b.size() >= 1078 ? "accepted" : "unsupported";
}

TEST(PaletteBitmapTest, EveryCorpusFileIsJudgedByTheReaderRules) {
    const auto root = std::filesystem::path(VEXA_TESTDATA_DIR) / "bmp";
    if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "no BMP corpus at " << root;
    std::map<std::string, std::string> verdicts;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        auto ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".bmp" && ext != ".BMP")) continue;
        const std::string path = entry.path().string(), bytes = testing::readFile(path);
        FakeDisplay display(50);
        auto expected = display.hardware;
        const std::string v = verdict([&] { loadPaletteBitmap(path, PaletteModel(display)); });
        EXPECT_EQ(v, expectedVerdict(bytes)) << path;
        for (int i = 10; v == "accepted" && i <= 245; ++i)
            expected[i] = {std::uint8_t(bytes[56 + 4 * i]), std::uint8_t(bytes[55 + 4 * i]),
                           std::uint8_t(bytes[54 + 4 * i]), 0};
        EXPECT_EQ(display.hardware, expected) << path;
        verdicts[std::filesystem::relative(entry.path(), root).string()] = v;
    }
    EXPECT_GE(verdicts.size(), 100u);
    for (auto [name, v] : std::map<std::string, std::string>{{"g/pal8.bmp", "accepted"},
                                                             {"g/pal8rle.bmp", "accepted"},
                                                             {"g/pal8v5.bmp", "accepted"},
                                                             {"g/rgb24.bmp", "unsupported"},
                                                             {"g/pal4.bmp", "unsupported"},
                                                             {"x/ba-bm.bmp", "general"}})
        EXPECT_EQ(verdicts[name], v) << name;
}

}  // namespace
}  // namespace vexa
