#include "palette_window/pixel_readout.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

SystemPaletteSnapshot snapshotWith(int count,
                                   std::initializer_list<std::pair<int, PaletteEntry>> set) {
    SystemPaletteSnapshot s{};
    s.count = count;
    for (auto [i, e] : set) s.entries[i] = e;
    return s;
}

TEST(PixelReadoutTest, WorkedExamples) {
    int snapshots = 0;
    auto noSnapshot = [&] {
        ++snapshots;
        return SystemPaletteSnapshot{};
    };
    EXPECT_EQ(formatReadout("Vexa", makeColorRef(255, 0, 0), 12, noSnapshot),
              "Vexa - [012] = 0x0000FF = RGB(255, 0, 0)");
    EXPECT_EQ(snapshots, 0);  // a tile index is used as it is

    SystemPaletteSnapshot blueAt252 =
        snapshotWith(256, {{252, {0, 0, 255, 0}}, {253, {0, 0, 255, 0}}});
    for (auto& e : blueAt252.entries)
        if (e == PaletteEntry{}) e = PaletteEntry{1, 1, 1, 0};
    auto fresh = [&] {
        ++snapshots;
        return blueAt252;
    };
    EXPECT_EQ(formatReadout("Vexa", makeColorRef(0, 0, 255), -1, fresh),
              "Vexa - [252] = 0xFF0000 = RGB(0, 0, 255)");
    EXPECT_EQ(snapshots, 1);
}

TEST(PixelReadoutTest, IndexIsZeroPaddedToThreeDigits) {
    auto none = [] { return SystemPaletteSnapshot{}; };
    EXPECT_EQ(formatReadout("Vexa", 0x123456, 5, none),
              "Vexa - [005] = 0x123456 = RGB(86, 52, 18)");
    EXPECT_EQ(formatReadout("App", 0, 255, none), "App - [255] = 0x000000 = RGB(0, 0, 0)");
    // A colour no entry holds prints the number of entries read.
    auto full = [] { return snapshotWith(256, {}); };
    EXPECT_EQ(formatReadout("Vexa", 0xABCDEF, -1, full),
              "Vexa - [256] = 0xABCDEF = RGB(239, 205, 171)");
    // A display without palette at sampling time reports 000.
    auto empty = [] { return snapshotWith(0, {}); };
    EXPECT_EQ(formatReadout("Vexa", 0, -1, empty), "Vexa - [000] = 0x000000 = RGB(0, 0, 0)");
}

TEST(PixelReadoutTest, SearchFindsTheLowestExactMatchIgnoringFlags) {
    SystemPaletteSnapshot s = snapshotWith(
        256, {{7, {10, 20, 30, PC_NOCOLLAPSE}}, {9, {10, 20, 30, 0}}, {3, {10, 20, 31, 0}}});
    EXPECT_EQ(findPaletteIndex(makeColorRef(10, 20, 30), s), 7);
    EXPECT_EQ(findPaletteIndex(makeColorRef(10, 20, 31), s), 3);
    EXPECT_EQ(findPaletteIndex(makeColorRef(0, 0, 0), s), 0);
    EXPECT_EQ(findPaletteIndex(makeColorRef(30, 20, 10), s), 256);
    // Only the first `count` entries are searched.
    s.count = 7;
    EXPECT_EQ(findPaletteIndex(makeColorRef(10, 20, 30), s), 7);
    EXPECT_EQ(findPaletteIndex(makeColorRef(10, 20, 31), s), 3);
}

TEST(PixelReadoutTest, TitleIsRewrittenOnlyWhenTheBytesDiffer) {
    EXPECT_FALSE(titleDiffers("Vexa", "Vexa"));
    EXPECT_TRUE(titleDiffers("vexa", "Vexa"));
    EXPECT_TRUE(titleDiffers("Vexa ", "Vexa"));
    EXPECT_TRUE(titleDiffers("Vexa - [012] = 0x0000FF = RGB(255, 0, 0)", "Vexa"));
    // Only 255 characters of the current title are read back.
    const std::string wanted(255, 'x');
    EXPECT_FALSE(titleDiffers(std::string(300, 'x'), wanted));
    EXPECT_TRUE(titleDiffers(std::string(300, 'x'), std::string(256, 'x')));
}

TEST(PixelReadoutTest, LongApplicationNamesAreCutAtTheTitleBuffer) {
    auto none = [] { return SystemPaletteSnapshot{}; };
    EXPECT_EQ(formatReadout(std::string(300, 'A'), 0, 1, none), std::string(255, 'A'));
}

}  // namespace
}  // namespace vexa
