#include "palette/text_dump.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

std::tm timeOf(int year, int month, int day, int wday, int hour, int min, int sec) {
    std::tm t{};
    t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day, t.tm_wday = wday;
    t.tm_hour = hour, t.tm_min = min, t.tm_sec = sec;
    return t;
}

std::string header(const char* count) {
    return std::string(
               "Vexa - Win32 Color Palette Tool\r\n"
               "Copyright (c) 1996 Varnel. All rights reserved.\r\n\r\n"
               "Content: System palette dump\r\n"
               "Time: Saturday, November 30, 1996 @8:50:09\r\n"
               "Number of entries: ") +
           count + "\r\n\r\nIndex: R,   G,   B\r\n";
}

TEST(TextDumpTest, TimeTextHasNoLeadingZeroOnTheHourAndCLocaleNames) {
    std::tm t = timeOf(2024, 12, 5, 4, 0, 5, 0);
    EXPECT_EQ(formatDumpTime(&t), "Thursday, December 05, 2024 @0:05:00");
    EXPECT_EQ(formatDumpTime(nullptr), "");
    for (int wday = 0; wday < 7; ++wday)
        for (int month = 1; month <= 12; ++month) {
            t = timeOf(1996, month, 9, wday, 23, 2, 3);
            char names[128];
            std::strftime(names, sizeof names, "%A, %B %d, %Y @", &t);
            EXPECT_EQ(formatDumpTime(&t), std::string(names) + "23:02:03");
        }
}

TEST(TextDumpTest, DumpsOfA256AndA16EntryDisplayByteForByte) {
    const std::tm t = timeOf(1996, 11, 30, 6, 8, 50, 9);
    SystemPaletteSnapshot s{};
    s.count = 256;
    for (int i = 0; i < 256; ++i) s.entries[i] = {std::uint8_t(i), std::uint8_t(i), 7, 1};
    s.entries[7] = {192, 192, 192, 0};
    std::string expected = header("256");
    for (int i = 0; i < 256; ++i) {
        char line[32];
        const int v = i == 7 ? 192 : i;
        std::snprintf(line, sizeof line, "%3d: %3d, %3d, %3d\r\n", i, v, v, i == 7 ? 192 : 7);
        expected += line;
    }
    EXPECT_TRUE(expected.find("\r\n  7: 192, 192, 192\r\n") != std::string::npos);
    EXPECT_TRUE(expected.ends_with("\r\n255: 255, 255,   7\r\n"));
    EXPECT_EQ(buildTextDump(256, s, &t), expected);
    EXPECT_EQ(expected.size(), header("256").size() + 256 * 20);
    // Unreported entries read as zero; only entryCount lines are listed.
    expected = header("16");
    for (int i = 0; i < 16; ++i)
        expected += (i < 10 ? "  " : " ") + std::to_string(i) + ":   0,   0,   0\r\n";
    EXPECT_EQ(buildTextDump(16, SystemPaletteSnapshot{}, &t), expected);
}

}  // namespace
}  // namespace vexa
