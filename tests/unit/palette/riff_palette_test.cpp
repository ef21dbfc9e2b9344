#include "palette/riff_palette.h"

#include <gtest/gtest.h>

#include "support/colour_tables.h"

namespace vexa {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& b, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) b.push_back(std::uint8_t(value >> (8 * i)));
}

Bytes chunk(const std::string& id, const Bytes& data) {
    Bytes b(id.begin(), id.end());
    put(b, std::uint32_t(data.size()), 4);
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() % 2) b.push_back(0);
    return b;
}

// A logical palette record of `count` entries (red i, green 2i, blue 255 - i, flags 4).
Bytes record(int count, std::uint16_t version = 0x300) {
    Bytes b;
    put(b, version, 2);
    put(b, std::uint32_t(count), 2);
    for (int i = 0; i < count; ++i)
        b.insert(b.end(), {std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(255 - i), 4});
    return b;
}

Bytes coloursOf(int count) {
    Bytes rgb;
    for (int i = 0; i < count; ++i)
        rgb.insert(rgb.end(), {std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(255 - i)});
    return rgb;
}

// "RIFF", the size of the rest, "PAL ", then the chunks.
Bytes riff(const std::vector<Bytes>& chunks) {
    Bytes body = {'P', 'A', 'L', ' '};
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    Bytes b = {'R', 'I', 'F', 'F'};
    put(b, std::uint32_t(body.size()), 4);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

std::string verdict(const Bytes& b) {
    return testing::verdictOf([&] { readRiffPalette(b); });
}

TEST(RiffPaletteTest, TheDataChunksEntriesAreTheColours) {
    EXPECT_EQ(testing::rgbOf(readRiffPalette(riff({chunk("data", record(16))}))), coloursOf(16));
    EXPECT_EQ(testing::rgbOf(readRiffPalette(riff({chunk("data", record(256))}))), coloursOf(256));
    // Other chunks, padded to an even size, come before and after.
    const Bytes withOthers = riff(
        {chunk("LIST", {'I', 'N', 'F', 'O', 'x'}), chunk("data", record(3)), chunk("offl", {})});
    EXPECT_TRUE(isRiffPalette(withOthers));
    EXPECT_EQ(testing::rgbOf(readRiffPalette(withOthers)), coloursOf(3));
}

TEST(RiffPaletteTest, ChunkSizesCountAndVersionAreChecked) {
    Bytes longer = riff({chunk("data", record(4))});
    longer.push_back(0);
    Bytes riffSize = riff({chunk("data", record(4))});
    riffSize[4] += 2;
    Bytes dataTooLong = riff({chunk("data", record(4))});
    dataTooLong[16] += 4;
    Bytes dataTooShort = riff({chunk("data", record(4))});
    dataTooShort[16] -= 4;
    Bytes padded = record(4);
    padded.insert(padded.end(), {0, 0, 0, 0});
    const std::vector<std::pair<std::string, Bytes>> refused = {
        {"bytes after the RIFF", longer},
        {"RIFF size past the end", riffSize},
        {"data size past the end", dataTooLong},
        {"data size short of its entries", dataTooShort},
        {"data longer than its entries", riff({chunk("data", padded)})},
        {"count 0", riff({chunk("data", record(0))})},
        {"count 257", riff({chunk("data", record(257))})},
        {"version 0x200", riff({chunk("data", record(4, 0x200))})},
        {"no data chunk", riff({chunk("LIST", {1, 2})})},
        {"cut chunk header",
         [] {
             Bytes b = riff({chunk("data", record(1))});
             b.resize(16);
             b[4] = 8;
             return b;
         }()},
        {"WAVE",
         [] {
             Bytes b = riff({chunk("data", record(1))});
             b[8] = 'W';
             return b;
         }()},
    };
    for (const auto& [name, bytes] : refused) EXPECT_EQ(verdict(bytes), "unsupported") << name;
}

}  // namespace
}  // namespace vexa
