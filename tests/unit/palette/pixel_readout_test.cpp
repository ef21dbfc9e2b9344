#include "palette/pixel_readout.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(PixelReadoutTest, WorkedExamplesAndPadding) {
    int reads = 0;
    SystemPaletteSnapshot palette{};
    palette.count = 256;
    palette.entries.fill({1, 1, 1, 0});
    palette.entries[252] = palette.entries[253] = {0, 0, 255, 0};
    auto fresh = [&] { return ++reads, palette; };
    EXPECT_EQ(formatReadout("Vexa", 0x0000FF, 12, fresh),
              "Vexa - [012] = 0x0000FF = RGB(255, 0, 0)");
    EXPECT_EQ(reads, 0);  // a tile index is used as it is
    EXPECT_EQ(formatReadout("Vexa", 0xFF0000, -1, fresh),
              "Vexa - [252] = 0xFF0000 = RGB(0, 0, 255)");
    EXPECT_EQ(formatReadout("Vexa", 0x123456, -1, fresh),
              "Vexa - [256] = 0x123456 = RGB(86, 52, 18)");
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(formatReadout("Vexa", 0, 5, fresh), "Vexa - [005] = 0x000000 = RGB(0, 0, 0)");
    palette.count = 0;  // no palette at sampling time
    EXPECT_EQ(formatReadout("V", 0, -1, fresh), "V - [000] = 0x000000 = RGB(0, 0, 0)");
}

TEST(PixelReadoutTest, SearchFindsTheLowestExactMatchAmongCountEntries) {
    SystemPaletteSnapshot s{};
    s.count = 256;
    s.entries[7] = {10, 20, 30, PC_NOCOLLAPSE};  // flags are not compared
    s.entries[9] = {10, 20, 30, 0};
    s.entries[3] = {10, 20, 31, 0};
    EXPECT_EQ(findPaletteIndex(makeColorRef(10, 20, 30), s), 7);
    EXPECT_EQ(findPaletteIndex(makeColorRef(10, 20, 31), s), 3);
    EXPECT_EQ(findPaletteIndex(makeColorRef(30, 20, 10), s), 256);
    s.count = 5;
    EXPECT_EQ(findPaletteIndex(makeColorRef(10, 20, 30), s), 5);
}

TEST(PixelReadoutTest, TitleIsRewrittenOnlyWhenTheFirst255BytesDiffer) {
    EXPECT_FALSE(titleDiffers("Vexa", "Vexa"));
    EXPECT_TRUE(titleDiffers("vexa", "Vexa"));
    EXPECT_TRUE(titleDiffers("Vexa ", "Vexa"));
    EXPECT_FALSE(titleDiffers(std::string(300, 'x'), std::string(255, 'x')));
}

}  // namespace
}  // namespace vexa
