#include "palette/edit_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "base/command_failure.h"
#include "palette/palette_model.h"
#include "support/fake_display.h"

namespace vexa {
namespace {

using testing::FakeDisplay;

FailureCategory failureOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const CommandFailure& failure) {
        return failure.category();
    }
    ADD_FAILURE() << "nothing was raised";
    return FailureCategory::SilentFailure;
}

TEST(CopiedPalette, HoldsTheSystemPaletteExactlyAsReportedFlagsIncluded) {
    FakeDisplay display;
    display.hardware[3].flags = PC_NOCOLLAPSE;
    PaletteModel model(display);
    const LogicalPalette copy = copiedPalette(model);
    EXPECT_EQ(copy.version, 0x300);
    EXPECT_EQ(copy.count, 256);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(copy.entries[i], display.hardware[i]) << i;
}

TEST(CopiedPalette, IsReadAtTheMomentOfTheCopy) {
    FakeDisplay display;
    PaletteModel model(display);
    display.hardware[100] = PaletteEntry{1, 2, 3, 0};
    EXPECT_EQ(copiedPalette(model).entries[100], (PaletteEntry{1, 2, 3, 0}));
    display.hardware[100] = PaletteEntry{4, 5, 6, 0};
    EXPECT_EQ(copiedPalette(model).entries[100], (PaletteEntry{4, 5, 6, 0}));
}

TEST(CopiedPalette, SmallPaletteCopiesEntryCountEntriesAndKeepsTheRestOfTheRecord) {
    FakeDisplay display;
    display.paletteSize = 16;
    display.reportedEntries = 12;  // the display reports fewer than it has
    PaletteModel model(display);
    const LogicalPalette copy = copiedPalette(model);
    EXPECT_EQ(copy.count, 16);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(copy.entries[i], display.hardware[i]) << i;
    // Unreported entries keep the explicit record's values; those past the count stay zero.
    for (int i = 12; i < 16; ++i)
        EXPECT_EQ(copy.entries[i], (PaletteEntry{std::uint8_t(i), 0, 0, PC_EXPLICIT})) << i;
    for (int i = 16; i < 256; ++i) EXPECT_EQ(copy.entries[i], PaletteEntry{}) << i;
}

TEST(CopiedPalette, UnreachableScreenIsResourceUnavailable) {
    FakeDisplay display;
    PaletteModel model(display);
    display.screenUnreachable = true;
    EXPECT_EQ(failureOf([&] { copiedPalette(model); }), FailureCategory::ResourceUnavailable);
}

TEST(ClipboardForms, BitmapAndListingShowTheCopiedColours) {
    FakeDisplay display;
    display.paletteSize = 16;
    display.hardware[5] = PaletteEntry{10, 20, 30, 0};
    PaletteModel model(display);
    std::tm when{};
    when.tm_year = 96;
    when.tm_mon = 10;
    when.tm_mday = 30;
    when.tm_wday = 6;
    when.tm_hour = 8;
    when.tm_min = 50;
    when.tm_sec = 9;
    const ClipboardPalette forms = clipboardForms(copiedPalette(model), &when);

    ASSERT_EQ(forms.entries.size(), 16u);
    EXPECT_EQ(forms.entries[5], (PaletteEntry{10, 20, 30, 0}));

    ASSERT_EQ(forms.bitmap.size(), 9270u);
    EXPECT_EQ(forms.bitmap[0], 'B');
    const std::uint8_t* quad5 = &forms.bitmap[54 + 4 * 5];
    EXPECT_EQ(quad5[0], 30);  // blue, green, red, 0
    EXPECT_EQ(quad5[1], 20);
    EXPECT_EQ(quad5[2], 10);
    EXPECT_EQ(quad5[3], 0);
    for (int i = 16; i < 256; ++i)  // entries past the copy are black in the image
        EXPECT_EQ(forms.bitmap[54 + 4 * i] | forms.bitmap[55 + 4 * i] | forms.bitmap[56 + 4 * i], 0)
            << i;

    EXPECT_NE(forms.text.find("Time: Saturday, November 30, 1996 @8:50:09\r\n"), std::string::npos);
    EXPECT_NE(forms.text.find("Number of entries: 16\r\n"), std::string::npos);
    EXPECT_NE(forms.text.find("\r\n  5:  10,  20,  30\r\n"), std::string::npos);
    EXPECT_EQ(forms.text.find(" 16: "), std::string::npos);
}

TEST(ClearPalette, BlackensTheSettableEntriesAndKeepsTheStaticOnes) {
    FakeDisplay display;
    PaletteModel model(display);
    const auto before = display.hardware;
    clearPalette(model);
    EXPECT_EQ(display.lastRealised.count, 256);
    for (const PaletteEntry& e : display.lastRealised.entries)
        ASSERT_EQ(e, (PaletteEntry{0, 0, 0, PC_NOCOLLAPSE}));
    for (int i = 0; i < 256; ++i) {
        if (i >= 10 && i <= 245) {
            EXPECT_EQ(display.hardware[i], PaletteEntry{}) << i;
        } else {
            EXPECT_EQ(display.hardware[i], before[i]) << i;
        }
    }
    const auto once = display.hardware;
    clearPalette(model);
    EXPECT_EQ(display.hardware, once);
}

TEST(ClearPalette, FailuresChangeNothing) {
    FakeDisplay display;
    PaletteModel model(display);
    const auto before = display.hardware;
    display.paletteCreationFails = true;
    EXPECT_EQ(failureOf([&] { clearPalette(model); }), FailureCategory::OutOfMemory);
    display.paletteCreationFails = false;
    display.screenUnreachable = true;
    EXPECT_EQ(failureOf([&] { clearPalette(model); }), FailureCategory::ResourceUnavailable);
    EXPECT_EQ(display.hardware, before);
}

}  // namespace
}  // namespace vexa
