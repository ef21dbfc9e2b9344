#include "palette_io/text_dump.h"

#include <gtest/gtest.h>

#include <regex>

#include "palette_window/palette_model.h"
#include "support/fake_display.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

using testing::FakeDisplay;
using testing::readText;
using testing::TempDir;
using testing::writeBytes;

std::tm timeOf(int year, int month, int day, int wday, int hour, int min, int sec) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_wday = wday;
    t.tm_hour = hour;
    t.tm_min = min;
    t.tm_sec = sec;
    return t;
}

const char kHeader256[] =
    "Vexa - Win32 Color Palette Tool\r\n"
    "Copyright (c) 1996 Varnel. All rights reserved.\r\n"
    "\r\n"
    "Content: System palette dump\r\n"
    "Time: Saturday, November 30, 1996 @8:50:09\r\n"
    "Number of entries: 256\r\n"
    "\r\n"
    "Index: R,   G,   B\r\n";

SystemPaletteSnapshot greySnapshot() {
    SystemPaletteSnapshot s{};
    s.count = 256;
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        s.entries[i] = PaletteEntry{v, v, v, PC_NOCOLLAPSE};
    }
    s.entries[7] = PaletteEntry{192, 192, 192, 0};
    s.entries[1] = PaletteEntry{128, 0, 5, 0};
    return s;
}

TEST(TextDumpTest, TimeTextHasNoLeadingZeroOnTheHourButOnTheDay) {
    std::tm t = timeOf(1996, 11, 30, 6, 8, 50, 9);
    EXPECT_EQ(formatDumpTime(&t), "Saturday, November 30, 1996 @8:50:09");
    t = timeOf(2024, 12, 5, 4, 0, 5, 0);
    EXPECT_EQ(formatDumpTime(&t), "Thursday, December 05, 2024 @0:05:00");
    t = timeOf(2000, 1, 1, 6, 23, 59, 59);
    EXPECT_EQ(formatDumpTime(&t), "Saturday, January 01, 2000 @23:59:59");
    EXPECT_EQ(formatDumpTime(nullptr), "");
    t.tm_mon = 12;
    EXPECT_EQ(formatDumpTime(&t), "");
}

TEST(TextDumpTest, DayAndMonthNamesAreThoseOfTheCLocale) {
    for (int wday = 0; wday < 7; ++wday) {
        for (int month = 1; month <= 12; ++month) {
            std::tm t = timeOf(1996, month, 9, wday, 1, 2, 3);
            char expected[128];
            std::strftime(expected, sizeof expected, "%A, %B %d, %Y @", &t);
            EXPECT_EQ(formatDumpTime(&t), std::string(expected) + "1:02:03");
        }
    }
}

TEST(TextDumpTest, FullDisplayDumpByteForByte) {
    std::tm t = timeOf(1996, 11, 30, 6, 8, 50, 9);
    const std::string dump = buildTextDump(256, greySnapshot(), &t);
    std::string expected = kHeader256;
    expected += "  0:   0,   0,   0\r\n";
    expected += "  1: 128,   0,   5\r\n";
    for (int i = 2; i < 256; ++i) {
        const int v = i == 7 ? 192 : i;
        std::string n = std::to_string(i), c = std::to_string(v);
        n.insert(0, 3 - n.size(), ' ');
        c.insert(0, 3 - c.size(), ' ');
        expected += n + ": " + c + ", " + c + ", " + c + "\r\n";
    }
    EXPECT_EQ(dump, expected);
    EXPECT_EQ(dump.size(), sizeof kHeader256 - 1 + 256 * 20);
    EXPECT_NE(dump.find("\r\n  7: 192, 192, 192\r\n"), std::string::npos);
    EXPECT_TRUE(dump.ends_with("\r\n255: 255, 255, 255\r\n"));
    // 264 lines, each ended by CR LF and no bare LF anywhere.
    size_t lines = 0, lfs = 0;
    for (size_t i = 0; i < dump.size(); ++i)
        if (dump[i] == '\n') {
            ++lfs;
            if (i > 0 && dump[i - 1] == '\r') ++lines;
        }
    EXPECT_EQ(lines, 264u);
    EXPECT_EQ(lfs, 264u);
}

TEST(TextDumpTest, SixteenEntryDisplayListsSixteenLines) {
    std::tm t = timeOf(1996, 11, 30, 6, 8, 50, 9);
    SystemPaletteSnapshot s{};  // unreported entries read as zero
    s.count = 16;
    s.entries[15] = PaletteEntry{255, 255, 255, 0};
    const std::string dump = buildTextDump(16, s, &t);
    std::string expected = kHeader256;
    expected.replace(expected.find("256"), 3, "16");
    for (int i = 0; i < 15; ++i) {
        std::string n = std::to_string(i);
        n.insert(0, 3 - n.size(), ' ');
        expected += n + ":   0,   0,   0\r\n";
    }
    expected += " 15: 255, 255, 255\r\n";
    EXPECT_EQ(dump, expected);
}

TEST(TextDumpTest, UnconvertibleTimeLeavesTheTimeTextEmpty) {
    const std::string header = textDumpHeader(256, nullptr);
    EXPECT_NE(header.find("\r\nTime: \r\nNumber of entries: 256\r\n"), std::string::npos);
}

TEST(TextDumpTest, WrittenFileHoldsTheDumpOfTheCurrentPalette) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    FakeDisplay display;
    PaletteModel model(display);
    const std::string path = dir.file("palette.txt");
    writeTextDump(path, model);
    const std::string text = readText(path);

    // Everything but the time is known; the time line must look like one.
    const std::regex timeLine(
        "\r\nTime: [A-Z][a-z]+day, [A-Z][a-z]+ [0-3][0-9], [0-9]{4} "
        "@[12]?[0-9]:[0-5][0-9]:[0-6][0-9]\r\n");
    EXPECT_TRUE(std::regex_search(text, timeLine)) << text.substr(0, 200);
    SystemPaletteSnapshot s{};
    s.entries = display.hardware;
    s.count = 256;
    std::tm t = timeOf(1996, 11, 30, 6, 8, 50, 9);
    const std::string fixed = buildTextDump(256, s, &t);
    const std::string before = "Time: ";
    auto strip = [&](const std::string& d) {
        const auto at = d.find(before) + before.size();
        return d.substr(0, at) + d.substr(d.find("\r\n", at));
    };
    EXPECT_EQ(strip(text), strip(fixed));
}

TEST(TextDumpTest, FailedPaletteReadLeavesThePreviousFileIntact) {
    TempDir dir;
    FakeDisplay display;
    PaletteModel model(display);
    const std::string path = dir.file("palette.txt");
    writeBytes(path, "yesterday's palette\r\n");
    display.screenUnreachable = true;
    try {
        writeTextDump(path, model);
        FAIL() << "no failure";
    } catch (const CommandFailure& e) {
        EXPECT_EQ(e.message(), "A required resource was unavailable.");
    }
    EXPECT_EQ(readText(path), "yesterday's palette\r\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"palette.txt"});
}

TEST(TextDumpTest, UncreatableFileNamesThePathAndReadsNoPalette) {
    TempDir dir;
    FakeDisplay display;
    PaletteModel model(display);
    const std::string path = dir.file("missing/palette.txt");
    try {
        writeTextDump(path, model);
        FAIL() << "no failure";
    } catch (const CommandFailure& e) {
        EXPECT_EQ(e.message(), path + " was not found.");
    }
    EXPECT_EQ(display.paletteReads, 0);
}

}  // namespace
}  // namespace vexa
