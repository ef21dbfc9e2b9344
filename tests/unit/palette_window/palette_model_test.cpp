#include "palette_window/palette_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/fake_display.h"

namespace vexa {
namespace {

using testing::FakeDisplay;

const std::uint8_t* bytesOf(const LogicalPalette& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}

PaletteModelError constructionFailure(FakeDisplay& display) {
    try {
        PaletteModel model(display);
    } catch (const PaletteModelError& e) {
        return e;
    }
    ADD_FAILURE() << "construction did not fail";
    return PaletteModelError(PaletteModelError::Reason::ResourceUnavailable);
}

TEST(PaletteModelTest, FullPaletteDisplayGivesExplicitRecordOf256Entries) {
    FakeDisplay display;
    PaletteModel model(display);
    EXPECT_EQ(model.entryCount(), 256);
    const LogicalPalette& record = model.explicitPalette().record;
    const std::uint8_t* bytes = bytesOf(record);
    EXPECT_EQ(bytes[0], 0x00);  // version 0x300, little-endian
    EXPECT_EQ(bytes[1], 0x03);
    EXPECT_EQ(bytes[2], 0x00);  // count 256
    EXPECT_EQ(bytes[3], 0x01);
    const std::uint8_t last[4] = {0xFF, 0x00, 0x00, 0x02};
    EXPECT_EQ(std::memcmp(bytes + 4 + 255 * 4, last, 4), 0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(record.entries[i], (PaletteEntry{std::uint8_t(i), 0, 0, PC_EXPLICIT})) << i;
    ASSERT_NE(model.explicitPalette().object, nullptr);
    EXPECT_EQ(display.lastCreated, record);
}

TEST(PaletteModelTest, SixteenEntryDisplayLeavesTheRestOfTheRecordZero) {
    FakeDisplay display;
    display.paletteSize = 16;
    PaletteModel model(display);
    EXPECT_EQ(model.entryCount(), 16);
    const LogicalPalette& record = model.explicitPalette().record;
    EXPECT_EQ(record.count, 16);
    EXPECT_EQ(record.entries[15], (PaletteEntry{15, 0, 0, PC_EXPLICIT}));
    const std::uint8_t zeros[240 * 4] = {};
    EXPECT_EQ(std::memcmp(bytesOf(record) + 4 + 16 * 4, zeros, sizeof zeros), 0);
}

TEST(PaletteModelTest, PaletteLargerThanTheRecordIsLimitedTo256) {
    FakeDisplay display;
    display.paletteSize = 4096;
    PaletteModel model(display);
    EXPECT_EQ(model.entryCount(), 256);
    EXPECT_EQ(model.explicitPalette().record.count, 256);
}

TEST(PaletteModelTest, ConstructionReleasesTheInfoContextAfterCreatingThePalette) {
    FakeDisplay display;
    PaletteModel model(display);
    EXPECT_EQ(display.liveInfoContexts, 0);
    EXPECT_EQ(display.calls,
              (std::vector<std::string>{"openInfo", "createPalette", "releaseInfo"}));
}

TEST(PaletteModelTest, NotPaletteBasedIsASilentNotPaletteDeviceFailure) {
    for (auto [based, size] : {std::pair{false, 256}, std::pair{true, 0}, std::pair{true, -3}}) {
        FakeDisplay display;
        display.paletteBased = based;
        display.paletteSize = size;
        const PaletteModelError e = constructionFailure(display);
        EXPECT_TRUE(e.notPaletteDevice()) << based << " " << size;
        EXPECT_EQ(e.category(), FailureCategory::SilentFailure);
        EXPECT_FALSE(e.shown());
        EXPECT_EQ(display.liveInfoContexts, 0);
        EXPECT_EQ(std::count(display.calls.begin(), display.calls.end(), "createPalette"), 0);
    }
}

TEST(PaletteModelTest, MissingInfoContextIsResourceUnavailable) {
    FakeDisplay display;
    display.infoAvailable = false;
    const PaletteModelError e = constructionFailure(display);
    EXPECT_EQ(e.reason(), PaletteModelError::Reason::ResourceUnavailable);
    EXPECT_EQ(e.category(), FailureCategory::ResourceUnavailable);
    EXPECT_FALSE(e.notPaletteDevice());
    EXPECT_EQ(e.message(), "A required resource was unavailable.");
}

TEST(PaletteModelTest, PaletteThatCannotBeCreatedIsOutOfMemoryAndReleasesTheContext) {
    FakeDisplay display;
    display.paletteCreationFails = true;
    const PaletteModelError e = constructionFailure(display);
    EXPECT_EQ(e.reason(), PaletteModelError::Reason::OutOfMemory);
    EXPECT_EQ(e.category(), FailureCategory::OutOfMemory);
    EXPECT_EQ(display.liveInfoContexts, 0);
    EXPECT_EQ(display.calls.back(), "releaseInfo");
}

TEST(PaletteModelTest, SnapshotsAreZeroFilledBeyondWhatTheDisplayReported) {
    FakeDisplay display;
    PaletteModel model(display);

    SystemPaletteSnapshot full = model.readSystemPalette();
    EXPECT_EQ(full.count, 256);
    EXPECT_EQ(full.entries[200], display.hardware[200]);

    SystemPaletteSnapshot part = model.readSystemPalette(16);
    EXPECT_EQ(part.count, 16);
    EXPECT_EQ(part.entries[15], display.hardware[15]);
    for (int i = 16; i < 256; ++i) EXPECT_EQ(part.entries[i], PaletteEntry{}) << i;

    display.reportedEntries = 0;  // the display lost its palette after start-up
    SystemPaletteSnapshot none = model.readSystemPalette(256);
    EXPECT_EQ(none.count, 0);
    for (const PaletteEntry& e : none.entries) EXPECT_EQ(e, PaletteEntry{});

    // Every read asks the display again.
    display.hardware[3] = PaletteEntry{1, 2, 3, 0};
    display.reportedEntries = 256;
    EXPECT_EQ(model.readSystemPalette().entries[3], (PaletteEntry{1, 2, 3, 0}));
}

TEST(PaletteModelTest, UnreachableScreenRaisesResourceUnavailable) {
    FakeDisplay display;
    PaletteModel model(display);
    display.screenUnreachable = true;
    try {
        model.readSystemPalette();
        FAIL() << "no failure";
    } catch (const CommandFailure& e) {
        EXPECT_EQ(e.category(), FailureCategory::ResourceUnavailable);
    }
}

TEST(PaletteModelTest, AppliedPaletteReachesTheHardwareAndFailedCreationIsOutOfMemory) {
    FakeDisplay display;
    PaletteModel model(display);
    LogicalPalette black{};
    black.count = 256;
    auto object = model.createPalette(black);
    ASSERT_NE(object, nullptr);
    model.applyPalette(*object);
    EXPECT_EQ(display.hardware[10], PaletteEntry{});
    EXPECT_EQ(display.hardware[245], PaletteEntry{});
    EXPECT_NE(display.hardware[9], PaletteEntry{});

    display.paletteCreationFails = true;
    try {
        model.createPalette(black);
        FAIL() << "no failure";
    } catch (const CommandFailure& e) {
        EXPECT_EQ(e.category(), FailureCategory::OutOfMemory);
        EXPECT_EQ(e.message(), "Out of memory.");
    }
}

}  // namespace
}  // namespace vexa
