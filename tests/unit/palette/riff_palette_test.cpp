#include "palette/riff_palette.h"

#include <gtest/gtest.h>

#include "support/colour_tables.h"

namespace vexa {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes le(std::uint32_t value, int size) {
    Bytes b;
    for (int i = 0; i < size; ++i) b.push_back(std::uint8_t(value >> (8 * i)));
    return b;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// A chunk, padded to an even size.
Bytes chunk(const std::string& id, const Bytes& data) {
    return text(id) + le(std::uint32_t(data.size()), 4) + data + Bytes(data.size() % 2, 0);
}

// A logical palette record of `count` entries, colour i = (i, 2i, 255 - i), flags 4.
Bytes record(int count, std::uint16_t version = 0x300) {
    Bytes b = le(version, 2) + le(std::uint32_t(count), 2);
    for (int i = 0; i < count; ++i)
        b = b + Bytes{std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(255 - i), 4};
    return b;
}

Bytes coloursOf(int count) {
    Bytes rgb;
    for (int i = 0; i < count; ++i)
        rgb = rgb + Bytes{std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(255 - i)};
    return rgb;
}

Bytes riff(const Bytes& chunks) {
    return text("RIFF") + le(std::uint32_t(chunks.size() + 4), 4) + text("PAL ") + chunks;
}

TEST(RiffPaletteTest, TheDataChunksEntriesAreTheColours) {
    EXPECT_EQ(testing::rgbOf(readRiffPalette(riff(chunk("data", record(16))))), coloursOf(16));
    EXPECT_EQ(testing::rgbOf(readRiffPalette(riff(chunk("data", record(256))))), coloursOf(256));
    // Other chunks, padded to an even size, come before and after.
    const Bytes withOthers =
        riff(chunk("LIST", text("INFOx")) + chunk("data", record(3)) + chunk("offl", {}));
    EXPECT_TRUE(isRiffPalette(withOthers));
    EXPECT_EQ(testing::rgbOf(readRiffPalette(withOthers)), coloursOf(3));
}

TEST(RiffPaletteTest, ChunkSizesCountAndVersionAreChecked) {
    const Bytes good = riff(chunk("data", record(4)));
    auto changed = [&](std::size_t at, int by) {
        Bytes b = good;
        b[at] = std::uint8_t(b[at] + by);
        return b;
    };
    const std::vector<std::pair<std::string, Bytes>> refused = {
        {"bytes after the RIFF", good + Bytes{0}},
        {"RIFF size past the end", changed(4, 2)},
        {"data size past the end", changed(16, 4)},
        {"data size short of its entries", changed(16, -4)},
        {"data longer than its entries", riff(chunk("data", record(4) + le(0, 4)))},
        {"count 0", riff(chunk("data", record(0)))},
        {"count 257", riff(chunk("data", record(257)))},
        {"version 0x200", riff(chunk("data", record(4, 0x200)))},
        {"no data chunk", riff(chunk("LIST", {1, 2}))},
        {"cut chunk header", riff(text("data"))},
        {"WAVE", changed(8, 'W' - 'P')},
    };
    for (const auto& file : refused)
        EXPECT_EQ(testing::verdictOf([&] { readRiffPalette(file.second); }), "unsupported")
            << file.first;
}

}  // namespace
}  // namespace vexa
