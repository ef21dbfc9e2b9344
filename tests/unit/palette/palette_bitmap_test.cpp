#include "palette/palette_bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <ranges>
#include <tuple>

#include "base/command_failure.h"
#include "bmp_color_table.h"
#include "palette/file_commands.h"
#include "palette/palette_model.h"
#include "support/fake_display.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

using testing::FakeDisplay;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

void put(Bytes& b, std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) b[at + i] = std::uint8_t(value >> (8 * i));
}

// A BMP start of the given layout: a header of `size` bytes holding bits per pixel,
// compression and colours used where such a header keeps them, then from `tableAt` 256
// entries of `entrySize` bytes, entry i holding blue 3i, green 2i, red i (and 0xEE), then
// 64 pixel bytes.
struct Layout {
    std::uint32_t size = 40;
    std::size_t tableAt = 54, entrySize = 4;
    std::uint32_t used = 0, compression = 0;
    std::uint16_t bitsPerPixel = 8;
};
Bytes bitmapStart(const Layout& l = {}) {
    Bytes b(l.tableAt + 256 * l.entrySize + 64, 0x77);
    std::fill(b.begin(), b.begin() + std::min<std::size_t>(l.tableAt, 14 + l.size), 0);
    b[0] = 'B', b[1] = 'M';
    put(b, 14, l.size, 4);
    put(b, l.size == 12 ? 24 : 28, l.bitsPerPixel, 2);
    if (l.size >= 20) put(b, 30, l.compression, 4);
    if (l.size >= 36) put(b, 46, l.used, 4);
    for (std::size_t i = 0; i < 256; ++i) {
        const std::size_t at = l.tableAt + i * l.entrySize;
        b[at] = std::uint8_t(3 * i), b[at + 1] = std::uint8_t(2 * i), b[at + 2] = std::uint8_t(i);
        if (l.entrySize == 4) b[at + 3] = 0xEE;
    }
    return b;
}
Bytes bitmapStart(std::uint16_t bitsPerPixel) {
    return bitmapStart({.bitsPerPixel = bitsPerPixel});
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
    auto cut = [&](std::size_t n) { return Bytes(good.begin(), good.begin() + n); };
    EXPECT_EQ(tableVerdict({}), "general");
    EXPECT_EQ(tableVerdict(cut(13)), "general");
    for (auto type : {"MB", "BA", "bm"})
        EXPECT_EQ(tableVerdict(Bytes{Bytes::value_type(type[0]), Bytes::value_type(type[1])}),
                  "general");
    Bytes notBm = good;
    notBm[1] = 'A';
    EXPECT_EQ(tableVerdict(notBm), "general");
    for (std::size_t n : {14, 17, 53}) EXPECT_EQ(tableVerdict(cut(n)), "unsupported") << n;
    for (std::uint16_t bpp : {0, 1, 4, 16, 24, 32, 0x108})
        EXPECT_EQ(tableVerdict(bitmapStart(bpp)), "unsupported") << bpp;
    // A core header keeps bits per pixel at offset 24, the others at 28.
    Bytes coreAt28 = bitmapStart({.size = 12, .tableAt = 26, .entrySize = 3, .bitsPerPixel = 4});
    put(coreAt28, 28, 8, 2);
    EXPECT_EQ(tableVerdict(coreAt28), "unsupported");
    EXPECT_EQ(tableVerdict(cut(1077)), "unsupported");
    EXPECT_EQ(tableVerdict(cut(1078)), "accepted");
    for (std::uint32_t size : {0u, 11u, 13u, 15u, 65u, 107u, 109u, 123u, 125u, 0xFFFFFFF0u})
        EXPECT_EQ(tableVerdict(bitmapStart({.size = size})), "unsupported") << size;
}

// Every header kind puts the table where its size says and holds as many entries as its
// colours used say; a file one byte short of that table is refused.
TEST(PaletteBitmapTest, HeaderSizeAndColoursUsedPlaceAndSizeTheTable) {
    struct Case {
        Layout layout;
        int count;
    };
    const Case cases[] = {
        {{.size = 12, .tableAt = 26, .entrySize = 3}, 256},  // core: no colours used
        {{.size = 16, .tableAt = 30}, 256},                  // OS/2 2.x without colours used
        {{.size = 40}, 256},
        {{.size = 40, .used = 100, .compression = 1}, 100},             // RLE8 is not looked at
        {{.size = 40, .tableAt = 66, .used = 2, .compression = 3}, 2},  // bit masks first
        {{.size = 52, .tableAt = 66, .used = 256, .compression = 3}, 256},
        {{.size = 56, .tableAt = 70, .used = 1}, 1},
        {{.size = 64, .tableAt = 78, .used = 252}, 252},
        {{.size = 108, .tableAt = 122, .used = 300}, 256},
        {{.size = 124, .tableAt = 138, .used = 37}, 37},
        {{.size = 124, .tableAt = 138, .used = 0xFFFFFFFF, .compression = 1}, 256},
    };
    for (const Case& c : cases) {
        const Bytes b = bitmapStart(c.layout);
        const BitmapColourTable table = readBitmapColourTable(b);
        const std::string name = std::to_string(c.layout.size) + "/" + std::to_string(c.count);
        ASSERT_EQ(table.count, c.count) << name;
        const std::uint8_t reserved = c.layout.entrySize == 4 ? 0xEE : 0;
        for (int i = 0; i < c.count; ++i)
            ASSERT_EQ(table.entries[i], (RgbQuad{std::uint8_t(3 * i), std::uint8_t(2 * i),
                                                 std::uint8_t(i), reserved}))
                << name << " entry " << i;
        const std::size_t end = c.layout.tableAt + c.count * c.layout.entrySize;
        EXPECT_EQ(tableVerdict(Bytes(b.begin(), b.begin() + end)), "accepted") << name;
        EXPECT_EQ(tableVerdict(Bytes(b.begin(), b.begin() + end - 1)), "unsupported") << name;
    }
    // Past the end of a 16-byte header, where colours used would be, the table has begun.
    Bytes os2 = bitmapStart({.size = 16, .tableAt = 30});
    put(os2, 46, 2, 4);
    EXPECT_EQ(readBitmapColourTable(os2).count, 256);
}

// What ImageMagick 6 writes for `convert in.ppm -colors 40 -type Palette out.bmp`: a V5
// header, RLE8, and the 40 colours padded with black to a table of 256.
Bytes imageMagickV5(std::uint32_t colours) {
    Bytes b(14 + 124 + 1024, 0);
    b[0] = 'B', b[1] = 'M';
    put(b, 2, std::uint32_t(b.size() + 4), 4);
    put(b, 10, std::uint32_t(b.size()), 4);
    const std::tuple<std::size_t, std::uint32_t, int> fields[] = {
        {14, 124, 4},        {18, colours, 4},    {22, 1, 4},      {26, 1, 2},
        {28, 8, 2},          {30, 1, 4},          {34, 4, 4},      {46, 256, 4},
        {50, 256, 4},        {54, 0xFF0000, 4},   {58, 0xFF00, 4}, {62, 0xFF, 4},
        {66, 0xFF000000, 4}, {70, 0x73524742, 4},  // "BGRs"
        {122, 4, 4}};
    for (auto [at, value, size] : fields) put(b, at, value, size);
    for (int i = 0; i < int(colours); ++i)
        put(b, 138 + 4 * i, (i * 53 + 7) % 256 | ((255 - i * 5) % 256) << 8 | 0x40u << 16, 4);
    for (std::uint8_t pixel : {1, 0, 0, 1}) b.push_back(pixel);  // one pixel, end of bitmap
    return b;
}

TEST(PaletteBitmapTest, ImageMagicksV5FileLoadsItsColoursAndItsPadding) {
    SystemPaletteSnapshot s{};
    s.entries.fill({9, 8, 7, PC_EXPLICIT});
    const LogicalPalette p = buildLoadedPalette(readBitmapColourTable(imageMagickV5(40)), s);
    for (int i = 0; i < 256; ++i) {
        PaletteEntry fromFile{0x40, std::uint8_t((255 - i * 5) % 256),
                              std::uint8_t((i * 53 + 7) % 256), PC_NOCOLLAPSE};
        if (i >= 40) fromFile = {0, 0, 0, PC_NOCOLLAPSE};
        EXPECT_EQ(p.entries[i], i >= 10 && i <= 245 ? fromFile : s.entries[i]) << i;
    }
}

TEST(PaletteBitmapTest, WrittenFileLoadsBackIntoEntriesTenTo245Only) {
    TempDir dir;
    const std::string path = dir.file("SysPal.bmp");
    FakeDisplay source(3), target(100);
    const auto before = target.hardware;
    savePalette(path, PaletteModel(source));
    loadPalette(path, PaletteModel(target));
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(target.hardware[i], i < 10 || i > 245 ? before[i] : source.hardware[i]) << i;
    EXPECT_EQ(target.lastRealised.entries[10].flags, PC_NOCOLLAPSE);
    // A failed save leaves the file it would have replaced intact.
    const std::string saved = testing::readFile(path);
    target.screenUnreachable = true;
    EXPECT_EQ(verdict([&] { savePalette(path, PaletteModel(target)); }),
              "A required resource was unavailable.");
    EXPECT_EQ(testing::readFile(path), saved);
    EXPECT_EQ(dir.entries(), std::set<std::string>{"SysPal.bmp"});
}

TEST(PaletteBitmapTest, LoadedPaletteKeepsTheSnapshotWhereTheTableHasNoEntry) {
    SystemPaletteSnapshot s{};
    s.entries.fill({9, 8, 7, PC_EXPLICIT});
    for (int count : {256, 100, 11, 10, 1}) {
        const LogicalPalette p = buildLoadedPalette(
            readBitmapColourTable(bitmapStart({.used = std::uint32_t(count)})), s);
        EXPECT_EQ((std::pair{p.version, p.count}),
                  (std::pair<std::uint16_t, std::uint16_t>{0x300, 256}));
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(p.entries[i], (i < 10 || i > 245 || i >= count
                                         ? s.entries[i]
                                         : PaletteEntry{std::uint8_t(i), std::uint8_t(2 * i),
                                                        std::uint8_t(3 * i), PC_NOCOLLAPSE}))
                << count << " entry " << i;
    }
}

TEST(PaletteBitmapTest, FailedLoadLeavesTheSystemPaletteUnchanged) {
    TempDir dir;
    FakeDisplay display;
    PaletteModel model(display);
    const auto before = display.hardware;
    const Bytes rgb = bitmapStart(24), good = bitmapStart(),
                cut = Bytes(good.begin(), good.begin() + 1000);
    testing::writeFile(dir.file("rgb.bmp"), std::string(rgb.begin(), rgb.end()));
    testing::writeFile(dir.file("cut.bmp"), std::string(cut.begin(), cut.end()));
    testing::writeFile(dir.file("good.bmp"), std::string(good.begin(), good.end()));
    testing::writeFile(dir.file("note.bmp"), "not a bitmap");
    auto load = [&](const std::string& name) {
        return verdict([&] { loadPalette(dir.file(name), model); });
    };
    EXPECT_EQ(load("rgb.bmp"), "unsupported");
    EXPECT_EQ(load("cut.bmp"), "unsupported");
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

// Every file of the corpus loads the table an image decoder written apart from Vexa's
// reads from it, into the entries 10 to 245 that table has; the rest keep their colour.
TEST(PaletteBitmapTest, EveryCorpusFileLoadsTheTableADecoderReads) {
    const auto root = std::filesystem::path(VEXA_TESTDATA_DIR) / "bmp";
    if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "no BMP corpus at " << root;
    std::map<std::string, std::string> verdicts;
    std::map<std::string, std::array<PaletteEntry, 256>> loaded;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        auto ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".bmp" && ext != ".BMP")) continue;
        const std::string path = entry.path().string(), bytes = testing::readFile(path);
        const auto decoded = testing::parseBmpColorTable(bytes);
        std::string expected = "accepted";
        if (bytes.size() < 14 || bytes.compare(0, 2, "BM") != 0)
            expected = "general";
        else if (!decoded || decoded->bitsPerPixel != 8)
            expected = "unsupported";
        FakeDisplay display(50);
        auto hardware = display.hardware;
        const std::string v = verdict([&] { loadPalette(path, PaletteModel(display)); });
        EXPECT_EQ(v, expected) << path;
        for (int i = 10; v == "accepted" && i <= 245 && i < int(decoded->colors.size()); ++i)
            hardware[i] = {decoded->colors[i].red, decoded->colors[i].green,
                           decoded->colors[i].blue, 0};
        EXPECT_EQ(display.hardware, hardware) << path;
        const std::string name = std::filesystem::relative(entry.path(), root).string();
        verdicts[name] = v;
        loaded[name] = display.hardware;
    }
    EXPECT_GE(verdicts.size(), 100u);
    // (No views over the map: clang 14 cannot compile them with libstdc++ 12.)
    EXPECT_EQ(std::count_if(verdicts.begin(), verdicts.end(),
                            [](const auto& v) { return v.second == "accepted"; }),
              41);
    for (auto [name, v] :
         std::map<std::string, std::string>{{"g/pal8v5.bmp", "accepted"},
                                            {"g/pal8os2.bmp", "accepted"},
                                            {"q/pal8os2v2-16.bmp", "accepted"},
                                            {"extra/image-rs/images/Info_8_Bit.bmp", "accepted"},
                                            {"extra/image-rs/bad/Bad_clrsUsed.bmp", "unsupported"},
                                            {"g/rgb24.bmp", "unsupported"},
                                            {"g/pal4.bmp", "unsupported"},
                                            {"b/badheadersize.bmp", "unsupported"},
                                            {"x/ba-bm.bmp", "general"}})
        EXPECT_EQ(verdicts[name], v) << name;
    // The suite's one picture in every header kind (core, OS/2 2.x of 16, 40 and 64 bytes,
    // V4, V5), run-length encoded and with too large colours used gives one palette, whose
    // entries 10 and 245 Pillow reads as CC2B00 and FFD5FF.
    const auto& pal8 = loaded["g/pal8.bmp"];
    EXPECT_EQ(pal8[10], (PaletteEntry{0xCC, 0x2B, 0x00, 0}));
    EXPECT_EQ(pal8[245], (PaletteEntry{0xFF, 0xD5, 0xFF, 0}));
    for (const char* name : {"g/pal8os2.bmp", "q/pal8os2v2-16.bmp", "q/pal8os2v2-40sz.bmp",
                             "q/pal8os2v2.bmp", "g/pal8v4.bmp", "g/pal8v5.bmp", "g/pal8rle.bmp",
                             "q/pal8oversizepal.bmp", "b/badpalettesize.bmp"})
        EXPECT_EQ(loaded[name], pal8) << name;
}

}  // namespace
}  // namespace vexa
