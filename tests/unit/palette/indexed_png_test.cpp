#include "palette/indexed_png.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "pillow.h"
#include "png_encoder.h"
#include "support/colour_tables.h"
#include "support/quiet_stderr.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::PngChunk;
using testing::pngChunks;
using testing::pngFile;

// `count` colours, three bytes each, from `seed` on.
Bytes colours(int count, int seed = 0) {
    Bytes rgb;
    for (int i = 0; i < 3 * count; ++i) rgb.push_back(std::uint8_t(i * 7 + seed));
    return rgb;
}

std::string verdict(const Bytes& png) {
    return testing::verdictOf([&] { readPngColourTable(png); });
}

// The offset of the first chunk of `type` in a PNG file.
std::size_t chunkAt(const Bytes& png, const std::string& type) {
    for (std::size_t at = 8; at + 12 <= png.size();) {
        if (std::string(png.begin() + at + 4, png.begin() + at + 8) == type) return at;
        at += 12 + (png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]);
    }
    ADD_FAILURE() << "no " << type;
    return 0;
}

// How Pillow reads each of the files.
std::optional<std::vector<testing::PillowImage>> pillowReads(
    const std::vector<std::pair<std::string, Bytes>>& files) {
    std::vector<Bytes> contents;
    for (const auto& file : files) contents.push_back(file.second);
    return testing::readWithPillow(contents);
}

TEST(IndexedPngTest, EveryBitDepthGivesItsPlteEntriesAsPillowReadsThem) {
    std::vector<std::pair<std::string, Bytes>> files;
    std::vector<Bytes> expected;
    for (auto [depth, count] :
         {std::pair{1, 1}, {1, 2}, {2, 3}, {2, 4}, {4, 5}, {4, 16}, {8, 200}, {8, 256}}) {
        std::vector<PngChunk> chunks = pngChunks(5, 3, depth, 3, colours(count, depth));
        // Transparency and other chunks play no part.
        chunks.insert(chunks.begin() + 2, PngChunk{"tRNS", {0, 128}});
        chunks.insert(chunks.begin() + 1, PngChunk{"tEXt", {'C', 0, 'x'}});
        files.emplace_back(std::to_string(depth) + "-" + std::to_string(count) + ".png",
                           pngFile(chunks));
        expected.push_back(colours(count, depth));
    }
    for (std::size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(testing::rgbOf(readPngColourTable(files[i].second)), expected[i])
            << files[i].first;

    const auto pillow = pillowReads(files);
    if (!pillow) GTEST_SKIP() << "Pillow is not installed";
    ASSERT_EQ(pillow->size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ((*pillow)[i].mode, "P") << files[i].first;
        EXPECT_EQ((*pillow)[i].palette, expected[i]) << files[i].first;
    }
}

TEST(IndexedPngTest, PngsWithoutAPaletteAndDamagedOnesAreRefusedQuietly) {
    const Bytes good = pngFile(pngChunks(6, 4, 8, 3, colours(20)));
    auto withChunks = [](auto change) {
        std::vector<PngChunk> chunks = pngChunks(6, 4, 8, 3, colours(20));
        change(chunks);
        return pngFile(chunks);
    };
    auto flipped = [&](const std::string& type, std::size_t into) {
        Bytes b = good;
        b[chunkAt(b, type) + 8 + into] ^= 0x10;
        return b;
    };
    auto cut = [&](const std::string& type, std::ptrdiff_t into) {
        return Bytes(good.begin(), good.begin() + std::ptrdiff_t(chunkAt(good, type)) + 8 + into);
    };
    Bytes oddPalette = colours(20);
    oddPalette.pop_back();
    // What Pillow makes of each: a refusal, or an image that has no palette.
    const std::vector<std::pair<std::string, Bytes>> refused = {
        {"truecolour.png", pngFile(pngChunks(6, 4, 8, 2, {}))},
        {"truecolour-suggested-palette.png", pngFile(pngChunks(6, 4, 8, 2, colours(16)))},
        {"grey.png", pngFile(pngChunks(6, 4, 8, 0, {}))},
        {"grey-alpha-16.png", pngFile(pngChunks(6, 4, 16, 4, {}))},
        {"plte-crc.png", flipped("PLTE", 5)},
        {"idat-crc.png", flipped("IDAT", 3)},
        {"plte-cut.png", cut("PLTE", 30)},
        {"idat-cut.png", cut("IDAT", 4)},
        {"signature.png",
         [&] {
             Bytes b = good;
             b[1] = 'Q';
             return b;
         }()},
    };
    // Refused as the format demands, where Pillow is more lenient.
    const std::vector<std::pair<std::string, Bytes>> lenient = {
        {"no-plte.png", pngFile(pngChunks(6, 4, 8, 3, {}))},
        {"no-iend.png", cut("IEND", -8)},
        {"plte-257.png", pngFile(pngChunks(6, 4, 8, 3, colours(257)))},
        {"plte-for-1-bit.png", pngFile(pngChunks(6, 4, 1, 3, colours(3)))},
        {"plte-not-triples.png", pngFile(pngChunks(6, 4, 8, 3, oddPalette))},
        {"plte-empty.png", withChunks([](auto& c) { c[1].data.clear(); })},
        {"text-crc.png",
         [&] {
             Bytes b = withChunks([](auto& c) {
                 c.insert(c.begin() + 1, {"tEXt", {'a', 0, 'b'}});
             });
             b[chunkAt(b, "tEXt") + 9] ^= 1;
             return b;
         }()},
        {"split-idat.png", withChunks([](auto& c) {
             c.insert(c.end() - 1, {{"tEXt", {'a', 0}}, c[2]});
         })},
        {"critical-after-idat.png", withChunks([](auto& c) {
             c.insert(c.end() - 1, PngChunk{"PLTE", colours(2)});
         })},
        {"unknown-critical.png", withChunks([](auto& c) {
             c.insert(c.begin() + 1, PngChunk{"ABCD", {}});
         })},
        {"iend-with-data.png", withChunks([](auto& c) { c.back().data = {1}; })},
    };
    const std::string printed = testing::stderrOf([&] {
        for (const auto& files : {refused, lenient})
            for (const auto& [name, bytes] : files)
                EXPECT_EQ(verdict(bytes), "unsupported") << name;
    });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(verdict(good), "accepted");

    const auto pillow = pillowReads(refused);
    if (!pillow) GTEST_SKIP() << "Pillow is not installed";
    ASSERT_EQ(pillow->size(), refused.size());
    for (std::size_t i = 0; i < refused.size(); ++i)
        EXPECT_TRUE(!(*pillow)[i].read || (*pillow)[i].mode != "P") << refused[i].first;
}

// The real indexed PNGs of other programs give the PLTE that Pillow reads.
TEST(IndexedPngTest, RealFilesGiveTheirPlteAsPillowReadsIt) {
    const auto root = std::filesystem::path(VEXA_TESTDATA_DIR) / "indexed";
    if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "no indexed PNGs at " << root;
    const std::map<std::string, int> entries = {{"grid_20x20.png", 2},
                                                {"worldmap_canada.png", 3},
                                                {"kuroneko.png", 5},
                                                {"mouse.png", 16},
                                                {"great.png", 231},
                                                {"22_texture-reptile.png", 73},
                                                {"07_03_synthetic-filbert.png", 255}};
    std::vector<std::string> paths;
    std::vector<Bytes> tables;
    for (const auto& [name, count] : entries) {
        paths.push_back((root / name).string());
        const std::string bytes = testing::readFile(paths.back());
        const BitmapColourTable table = readPngColourTable(Bytes(bytes.begin(), bytes.end()));
        EXPECT_EQ(table.count, count) << name;
        tables.push_back(testing::rgbOf(table));
    }
    const auto pillow = testing::readWithPillow(paths);
    if (!pillow) GTEST_SKIP() << "Pillow is not installed";
    ASSERT_EQ(pillow->size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ((*pillow)[i].palette, tables[i]) << paths[i];
}

}  // namespace
}  // namespace vexa
