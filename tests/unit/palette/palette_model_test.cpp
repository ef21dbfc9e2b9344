#include "palette/palette_model.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/fake_display.h"

namespace vexa {
namespace {

using testing::FakeDisplay;
using Calls = std::vector<std::string>;

PaletteModelError::Reason failureOf(FakeDisplay& display) {
    try {
        PaletteModel model(display);
    } catch (const PaletteModelError& e) {
        EXPECT_EQ(e.notPaletteDevice(), e.category() == FailureCategory::SilentFailure);
        return e.reason();
    }
    ADD_FAILURE() << "construction did not fail";
    return {};
}

TEST(PaletteModelTest, ExplicitRecordNamesHardwareIndexesAndTheRestStaysZero) {
    for (int size : {256, 16, 4096}) {
        FakeDisplay display;
        display.paletteSize = size;
        PaletteModel model(display);
        const int n = std::min(size, 256);
        EXPECT_EQ(model.entryCount(), n);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&model.explicitPalette().record);
        std::uint8_t expected[1028] = {0x00, 0x03, std::uint8_t(n & 0xFF), std::uint8_t(n >> 8)};
        for (int i = 0; i < n; ++i) expected[4 + 4 * i] = std::uint8_t(i), expected[7 + 4 * i] = 2;
        EXPECT_EQ(std::memcmp(bytes, expected, 1028), 0) << size;
        EXPECT_EQ(display.calls, (Calls{"openInfo", "create", "releaseInfo"}));
    }
}

TEST(PaletteModelTest, ConstructionFailuresReleaseTheInfoContext) {
    using Reason = PaletteModelError::Reason;
    FakeDisplay noInfo;
    noInfo.infoAvailable = false;
    EXPECT_EQ(failureOf(noInfo), Reason::ResourceUnavailable);
    for (auto [based, size] : {std::pair{false, 256}, std::pair{true, 0}}) {
        FakeDisplay display;
        display.paletteBased = based;
        display.paletteSize = size;
        EXPECT_EQ(failureOf(display), Reason::NotPaletteDevice);
        EXPECT_EQ(display.calls, (Calls{"openInfo", "releaseInfo"}));
    }
    FakeDisplay noPalette;
    noPalette.paletteCreationFails = true;
    EXPECT_EQ(failureOf(noPalette), Reason::OutOfMemory);
    EXPECT_EQ(noPalette.calls, (Calls{"openInfo", "create", "releaseInfo"}));
}

TEST(PaletteModelTest, SnapshotsAreFreshAndZeroFilledBeyondWhatWasReported) {
    FakeDisplay display;
    PaletteModel model(display);
    SystemPaletteSnapshot part = model.readSystemPalette(16);
    EXPECT_EQ(part.count, 16);
    EXPECT_EQ(part.entries[15], display.hardware[15]);
    EXPECT_EQ(part.entries[16], PaletteEntry{});
    display.hardware[200] = {1, 2, 3, 0};
    EXPECT_EQ(model.readSystemPalette().entries[200], (PaletteEntry{1, 2, 3, 0}));
    display.reportedEntries = 0;  // the display lost its palette
    SystemPaletteSnapshot none = model.readSystemPalette();
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.entries, SystemPaletteSnapshot{}.entries);
}

TEST(PaletteModelTest, CreatedPalettesAreAppliedAndFailuresKeepTheirCategory) {
    FakeDisplay display;
    PaletteModel model(display);
    LogicalPalette black{};
    black.count = 256;
    model.applyPalette(*model.createPalette(black));
    EXPECT_EQ(display.hardware[10], PaletteEntry{});
    display.paletteCreationFails = true;
    try {
        model.createPalette(black);
        ADD_FAILURE();
    } catch (const CommandFailure& e) {
        EXPECT_EQ(e.category(), FailureCategory::OutOfMemory);
    }
    display.screenUnreachable = true;
    try {
        model.readSystemPalette();
        ADD_FAILURE();
    } catch (const CommandFailure& e) {
        EXPECT_EQ(e.category(), FailureCategory::ResourceUnavailable);
    }
}

}  // namespace
}  // namespace vexa
