#include "palette/palette_listing.h"

#include <gtest/gtest.h>

#include "palette/file_formats.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

SystemPaletteSnapshot ramp() {
    SystemPaletteSnapshot s;
    s.count = 256;
    for (int i = 0; i < 256; ++i)
        s.entries[i] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(7 * i % 256), 0};
    return s;
}

TEST(PaletteListingTest, PrintFormatsAreTheListingAndTheSavedFiles) {
    for (const char* bad : {"", "TXT", "act", "bmp", "gpl "}) EXPECT_FALSE(printFormatNamed(bad));
    const SystemPaletteSnapshot s = ramp();
    std::tm t{};
    t.tm_year = 96, t.tm_mon = 10, t.tm_mday = 30, t.tm_wday = 6, t.tm_hour = 8, t.tm_min = 50;
    const std::string text = printedPalette(*printFormatNamed("txt"), 16, s, &t);
    EXPECT_EQ(text.substr(0, 33), "Vexa - Win32 Color Palette Tool\r\n");
    EXPECT_NE(text.find("Time: Saturday, November 30, 1996 @8:50:00\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 20), " 15:  15, 240, 105\r\n");
    // The golden files hold the same ramp.
    const std::string dir = VEXA_GOLDEN_DIR;
    EXPECT_EQ(printedPalette(*printFormatNamed("pal"), 16, s, &t),
              testing::readFile(dir + "/SysPal.pal"));
    EXPECT_EQ(printedPalette(*printFormatNamed("hex"), 16, s, &t),
              testing::readFile(dir + "/SysPal.hex"));
    std::string gimp = testing::readFile(dir + "/SysPal.gpl");
    gimp.replace(gimp.find("SysPal"), 6, "System palette");
    EXPECT_EQ(printedPalette(*printFormatNamed("gpl"), 16, s, &t), gimp);
}

TEST(PaletteListingTest, ChangeLineNamesOnlyTheChangedEntriesBelowTheCount) {
    std::tm t{};
    t.tm_hour = 1, t.tm_min = 2, t.tm_sec = 3;
    EXPECT_EQ(watchTime(t, 45), "01:02:03.045");
    const SystemPaletteSnapshot before = ramp();
    SystemPaletteSnapshot after = before;
    EXPECT_EQ(changeLine("T", 256, before, after), "");
    after.entries[3].flags = PC_NOCOLLAPSE;  // flags are no colour
    EXPECT_EQ(changeLine("T", 256, before, after), "");
    after.entries[0] = {9, 9, 9, 0};
    after.entries[200].blue = 1;
    after.entries[255] = {255, 128, 0, 0};
    EXPECT_EQ(changeLine("T", 256, before, after),
              "T 0: 9, 9, 9; 200: 200, 55, 1; 255: 255, 128, 0\n");
    EXPECT_EQ(changeLine("T", 16, before, after), "T 0: 9, 9, 9\n");
    // The program that made the change closes the line; no change, no line.
    EXPECT_EQ(changeLine("T", 16, before, after, "xli[42]"), "T 0: 9, 9, 9 by xli[42]\n");
    EXPECT_EQ(changeLine("T", 16, before, before, "xli[42]"), "");
}

}  // namespace
}  // namespace vexa
