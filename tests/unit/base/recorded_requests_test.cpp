#include "base/recorded_requests.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <initializer_list>

namespace vexa {
namespace {

// Request bytes as a client of either byte order sends them.
struct Request {
    bool bigEndian = std::endian::native == std::endian::big;
    std::vector<std::uint8_t> bytes;

    Request& u8(unsigned v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Request& u16(unsigned v) {
        return bigEndian ? u8(v >> 8).u8(v & 0xFF) : u8(v & 0xFF).u8(v >> 8);
    }
    Request& u32(std::uint32_t v) {
        return bigEndian ? u16(v >> 16).u16(v & 0xFFFF) : u16(v & 0xFFFF).u16(v >> 16);
    }
    Request& text(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        while (bytes.size() % 4) bytes.push_back(0);
        return *this;
    }
};

// StoreColors of `items` (pixel, red, green, blue, flags) to colormap 0x400001.
Request storeColors(bool bigEndian, std::initializer_list<std::array<unsigned, 5>> items) {
    Request r{bigEndian, {}};
    r.u8(89).u8(0).u16(2 + 3 * static_cast<unsigned>(items.size())).u32(0x400001);
    for (const auto& [pixel, red, green, blue, flags] : items)
        r.u32(pixel).u16(red).u16(green).u16(blue).u8(flags).u8(0);
    return r;
}

TEST(RecordedRequests, StoredColoursReadInTheirClientsByteOrderAndChangeThePalette) {
    for (const bool bigEndian : {false, true}) {
        const Request r = storeColors(
            bigEndian, {{5, 0x1234, 0xABCD, 0xFF00, 7}, {300, 1, 1, 1, 7}, {6, 0x8000, 0, 0, 1}});
        const bool swapped = bigEndian != (std::endian::native == std::endian::big);
        const auto requests = decodeRecordedRequests(r.bytes, swapped);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].opcode, RecordedOpcode::storeColors);
        EXPECT_EQ(requests[0].colormap, 0x400001u);
        SystemPaletteSnapshot palette{};
        palette.count = 256;
        palette.entries[6] = {1, 2, 3, 0};
        EXPECT_TRUE(applyStoredColours(palette, requests[0].colours));
        EXPECT_EQ(palette.entries[5], (PaletteEntry{0x12, 0xAB, 0xFF, 0}));
        EXPECT_EQ(palette.entries[6], (PaletteEntry{0x80, 2, 3, 0}));  // red alone
        // The same colours again change nothing; a pixel past the palette is passed over.
        EXPECT_FALSE(applyStoredColours(palette, requests[0].colours));
    }
}

TEST(RecordedRequests, PackedRequestsComeInOrderAndUnknownOrCutOnesArePassedOver) {
    Request r = storeColors(false, {{1, 0, 0, 0, 7}});
    r.u8(43).u8(0).u16(1);                // GetInputFocus: known length, not ours
    r.u8(81).u8(0).u16(2).u32(0x600002);  // InstallColormap
    r.u8(90).u8(3).u16(5).u32(0x20).u32(17).u16(3).u16(0).text("red");  // StoreNamedColor
    r.u8(89).u8(0).u16(0).u32(5).u32(0x20);  // a big StoreColors, its items cut off
    const auto requests = decodeRecordedRequests(r.bytes, std::endian::native == std::endian::big);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].opcode, RecordedOpcode::installColormap);
    EXPECT_EQ(requests[1].colormap, 0x600002u);
    EXPECT_EQ(requests[2].opcode, RecordedOpcode::storeNamedColor);
    EXPECT_EQ(requests[2].name, "red");
    ASSERT_EQ(requests[2].colours.size(), 1u);
    EXPECT_EQ(requests[2].colours[0].pixel, 17u);
    EXPECT_TRUE(requests[2].colours[0].doRed && requests[2].colours[0].doGreen);
    EXPECT_FALSE(requests[2].colours[0].doBlue);
    // A length of zero with nothing after it, or one past the end, stops the decoding.
    EXPECT_TRUE(decodeRecordedRequests(std::vector<std::uint8_t>{89, 0, 0, 0}, false).empty());
    EXPECT_TRUE(
        decodeRecordedRequests(std::vector<std::uint8_t>{81, 0, 9, 0, 1, 0, 0, 0}, false).empty());
}

}  // namespace
}  // namespace vexa
