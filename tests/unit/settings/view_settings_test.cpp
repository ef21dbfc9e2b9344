#include "settings/view_settings.h"

#include <gtest/gtest.h>

#include "fake_window.h"
#include "recording_registry.h"

namespace vexa {
namespace {

using test::FakeWindow;
using test::RecordingRegistry;
using Calls = std::vector<std::string>;

const std::string vexaKey = "HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa";
const std::string viewKey = vexaKey + "\\View";
const std::string windowKey = vexaKey + "\\Window";
const std::string versionKey = vexaKey + "\\CurrentVersion";

const Calls startReads = {
    "read View\\Columns",         "read View\\Rows",
    "read View\\Borders",         "read Window\\On top",
    "read Window\\Bounds.bottom", "read Window\\Bounds.right",
    "read Window\\Bounds.top",    "read Window\\Bounds.left",
    "read Window\\State",
};

class ViewSettingsTest : public ::testing::Test {
  protected:
    // The application object's settings exist before the company is registered.
    RecordingRegistry registry;
    ViewSettings settings{registry};

    // What start-up does: register the company, set the version, bind, reset, load.
    void start() {
        settings.currentVersion = 65542;
        settings.key.bind(settings.key.root(), "Varnel", "Vexa");
        settings.reset();
        settings.load();
    }
    void storeVersion(std::int32_t v) { registry.putDword(versionKey, "Version", v); }
    void storeBounds(Rect r) {
        registry.putDword(windowKey, "Bounds.left", r.left);
        registry.putDword(windowKey, "Bounds.top", r.top);
        registry.putDword(windowKey, "Bounds.right", r.right);
        registry.putDword(windowKey, "Bounds.bottom", r.bottom);
    }
    // The value writes of the calls so far, in order.
    Calls writes() const {
        Calls found;
        for (const std::string& call : registry.valueCalls())
            if (call.rfind("write ", 0) == 0) found.push_back(call);
        return found;
    }
    std::int32_t stored(const std::string& keyPath, const std::string& name) {
        auto v = registry.value(keyPath, name);
        EXPECT_TRUE(v) << name;
        if (!v) return -12345;
        return static_cast<std::int32_t>(v->data[0] | v->data[1] << 8 | v->data[2] << 16 |
                                         static_cast<std::uint32_t>(v->data[3]) << 24);
    }
};

TEST_F(ViewSettingsTest, ConstructionLeavesTheVersionsZeroAndTheKeyWithoutCompany) {
    EXPECT_EQ(settings.storedVersion, 0u);
    EXPECT_EQ(settings.currentVersion, 0u);
    EXPECT_FALSE(settings.modified);
    EXPECT_EQ(settings.key.root(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(settings.key.company(), "");
    EXPECT_TRUE(registry.calls().empty());
}

TEST_F(ViewSettingsTest, FirstStartRecordsTheVersionAndCreatesTheSections) {
    start();
    Calls expected = {"read CurrentVersion\\Version", "write CurrentVersion\\Version"};
    expected.insert(expected.end(), startReads.begin(), startReads.end());
    EXPECT_EQ(registry.valueCalls(), expected);
    EXPECT_EQ(stored(versionKey, "Version"), 65542);
    for (const auto& k : {versionKey, viewKey, windowKey}) EXPECT_TRUE(registry.hasKey(k)) << k;
    EXPECT_EQ(settings.storedVersion, 0u);
    EXPECT_NE(settings.storedVersion, settings.currentVersion);  // the About window opens
    EXPECT_EQ(settings.columns, 256);
    EXPECT_EQ(settings.rows, 1);
    EXPECT_EQ(settings.borders, 0);
    EXPECT_TRUE(settings.bounds.empty());
    EXPECT_EQ(settings.showState, 0);
    EXPECT_FALSE(settings.modified);
    EXPECT_EQ(registry.openHandles(), 0u);
}

TEST_F(ViewSettingsTest, StartWithTheSameVersionWritesNothing) {
    storeVersion(65542);
    start();
    Calls expected = {"read CurrentVersion\\Version"};
    expected.insert(expected.end(), startReads.begin(), startReads.end());
    EXPECT_EQ(registry.valueCalls(), expected);
    EXPECT_EQ(settings.storedVersion, 65542u);
}

TEST_F(ViewSettingsTest, AnotherVersionIsReplacedAndEveryStoredValueUsed) {
    storeVersion(65541);
    registry.putDword(viewKey, "Columns", 16);
    registry.putDword(viewKey, "Rows", 16);
    registry.putDword(viewKey, "Borders", 1);
    registry.putDword(windowKey, "On top", 1);
    storeBounds({-50, 10, 250, 110});
    registry.putDword(windowKey, "State", 2);
    start();
    EXPECT_EQ(settings.storedVersion, 65541u);
    EXPECT_EQ(stored(versionKey, "Version"), 65542);
    EXPECT_EQ(settings.columns, 16);
    EXPECT_EQ(settings.rows, 16);
    EXPECT_EQ(settings.borders, 1);
    EXPECT_EQ(settings.onTop, 1);
    EXPECT_EQ(settings.bounds, (Rect{-50, 10, 250, 110}));
    EXPECT_EQ(settings.showState, 2);
    EXPECT_FALSE(settings.modified);
}

TEST_F(ViewSettingsTest, OnlyAMinimisedStateIsKept) {
    for (std::int32_t state : {1, 3, -2, 2, 0}) {
        registry.putDword(windowKey, "State", state);
        start();
        EXPECT_EQ(settings.showState, state == 2 ? 2 : 0) << state;
    }
}

TEST_F(ViewSettingsTest, AnUnusableStoredGridBecomesOneRowOf256) {
    struct Case {
        std::int32_t columns, rows, wantColumns, wantRows;
    };
    for (auto c : {Case{16, 16, 16, 16}, Case{8, 32, 8, 32}, Case{2, 128, 2, 128},
                   Case{0, 1, 256, 1}, Case{256, 0, 256, 1}, Case{-16, -16, 256, 1},
                   Case{16, 8, 256, 1}, Case{65536, 65536, 256, 1}, Case{-256, -1, 256, 1}}) {
        registry.putDword(viewKey, "Columns", c.columns);
        registry.putDword(viewKey, "Rows", c.rows);
        start();
        EXPECT_EQ(settings.columns, c.wantColumns) << c.columns << "x" << c.rows;
        EXPECT_EQ(settings.rows, c.wantRows) << c.columns << "x" << c.rows;
        EXPECT_FALSE(settings.modified);
    }
}

TEST_F(ViewSettingsTest, OneSaveWritesInItsOrder) {
    start();
    settings.columns = 16;
    settings.rows = 16;
    settings.bounds = {100, 100, 400, 300};
    registry.clearCalls();
    settings.modified = true;
    settings.save();
    EXPECT_EQ(writes(), (Calls{"write View\\Columns", "write View\\Rows", "write View\\Borders",
                               "write Window\\On top", "write Window\\Bounds.left",
                               "write Window\\Bounds.top", "write Window\\Bounds.right",
                               "write Window\\Bounds.bottom", "write Window\\State"}));
    EXPECT_FALSE(settings.modified);
    EXPECT_EQ(stored(viewKey, "Columns"), 16);
    EXPECT_EQ(stored(viewKey, "Rows"), 16);
    EXPECT_EQ(stored(viewKey, "Borders"), 0);
    EXPECT_EQ(stored(windowKey, "Bounds.right"), 400);
    EXPECT_EQ(registry.openHandles(), 0u);

    // The next start reads back what was saved.
    ViewSettings next(registry);
    next.currentVersion = 65542;
    next.key.bind(next.key.root(), "Varnel", "Vexa");
    next.reset();
    next.load();
    EXPECT_EQ(next.storedVersion, 65542u);
    EXPECT_EQ(next.columns, 16);
    EXPECT_EQ(next.bounds, (Rect{100, 100, 400, 300}));
}

TEST_F(ViewSettingsTest, EmptyBoundsAreNotWrittenButOnTopAndStateAre) {
    storeBounds({5, 6, 7, 8});
    start();
    for (Rect r : {Rect{300, 0, 300, 100}, Rect{400, 0, 300, 100}, Rect{0, 50, 100, 50}}) {
        settings.bounds = r;
        registry.clearCalls();
        settings.save();
        EXPECT_EQ(writes(), (Calls{"write View\\Columns", "write View\\Rows", "write View\\Borders",
                                   "write Window\\On top", "write Window\\State"}));
    }
    EXPECT_EQ(stored(windowKey, "Bounds.left"), 5);
    EXPECT_EQ(stored(windowKey, "Bounds.bottom"), 8);
}

TEST_F(ViewSettingsTest, AFailedBoundsWriteStopsTheOtherBoundsButNotTheState) {
    start();
    settings.bounds = {1, 2, 3, 4};
    registry.clearCalls();
    registry.failCall("set " + windowKey + ":Bounds.top");
    settings.modified = true;
    settings.save();
    EXPECT_EQ(writes(), (Calls{"write View\\Columns", "write View\\Rows", "write View\\Borders",
                               "write Window\\On top", "write Window\\Bounds.left",
                               "write Window\\Bounds.top", "write Window\\State"}));
    EXPECT_FALSE(settings.modified);
    EXPECT_FALSE(registry.value(windowKey, "Bounds.right"));
}

TEST_F(ViewSettingsTest, TwoCopiesOnOneStoreKeepEachOthersChanges) {
    storeVersion(65542);
    storeBounds({100, 100, 400, 300});
    start();
    ViewSettings other(registry);
    other.currentVersion = 65542;
    other.key.bind(other.key.root(), "Varnel", "Vexa");
    other.reset();
    other.load();

    // The other copy turns the borders on, moves its window and ends first.
    other.takeGridPreferences(256, 1, true);
    other.updateBounds({10, 20, 310, 220});
    other.save();
    // This one changed only the columns.
    settings.takeGridPreferences(16, 16, false);
    ASSERT_TRUE(settings.modified);
    settings.save();
    EXPECT_EQ(stored(viewKey, "Columns"), 16);
    EXPECT_EQ(stored(viewKey, "Rows"), 16);
    EXPECT_EQ(stored(viewKey, "Borders"), 1);
    EXPECT_EQ(stored(windowKey, "Bounds.left"), 10);
    EXPECT_EQ(stored(windowKey, "Bounds.bottom"), 220);

    // A value both changed is the last one's.
    other.takeGridPreferences(16, 16, false);
    other.save();
    EXPECT_EQ(stored(viewKey, "Borders"), 0);
    // A stored pair that the grid cannot use is not taken.
    registry.putDword(viewKey, "Columns", 0);
    settings.updateBounds({1, 2, 301, 202});
    settings.save();
    EXPECT_EQ(stored(viewKey, "Columns"), 16);
    EXPECT_EQ(stored(windowKey, "Bounds.left"), 1);
}

TEST_F(ViewSettingsTest, AStoreThatMayNotBeWrittenGivesDefaultsEveryTime) {
    storeVersion(65542);
    registry.putDword(viewKey, "Columns", 16);
    registry.putDword(viewKey, "Rows", 16);
    registry.readOnly = true;
    start();
    EXPECT_EQ(settings.storedVersion, 0u);
    EXPECT_EQ(settings.columns, 256);
    EXPECT_EQ(settings.rows, 1);
    settings.columns = 8;
    settings.rows = 32;
    settings.save();
    EXPECT_FALSE(settings.modified);
    EXPECT_EQ(stored(viewKey, "Columns"), 16);
}

TEST_F(ViewSettingsTest, AnUnchangedRunMarksNothingModified) {
    storeVersion(65542);
    registry.putDword(viewKey, "Columns", 32);
    registry.putDword(viewKey, "Rows", 8);
    storeBounds({100, 100, 400, 300});
    start();
    FakeWindow window;
    window.rect = {100, 100, 400, 300};
    ASSERT_TRUE(settings.restoreWindowPlacement(&window));
    settings.captureWindowState(&window);
    EXPECT_FALSE(settings.modified);

    // The same run with "State" stored as minimised is a change: the window ends normal.
    registry.putDword(windowKey, "State", 2);
    start();
    settings.captureWindowState(&window);
    EXPECT_TRUE(settings.modified);
    EXPECT_EQ(settings.showState, 0);
}

TEST_F(ViewSettingsTest, GridHandBackComparesTheRawStoredBorderValue) {
    registry.putDword(viewKey, "Borders", 2);
    start();
    // Border on, as a stored 2 shows it: still a change, written back as 1.
    settings.takeGridPreferences(256, 1, true);
    EXPECT_TRUE(settings.modified);
    EXPECT_EQ(settings.borders, 1);

    registry.putDword(viewKey, "Borders", 1);
    start();
    settings.takeGridPreferences(256, 1, true);
    EXPECT_FALSE(settings.modified);
    settings.takeGridPreferences(16, 16, true);
    EXPECT_TRUE(settings.modified);
    EXPECT_EQ(settings.columns, 16);
    EXPECT_EQ(settings.rows, 16);

    registry.putDword(viewKey, "Borders", 0);
    start();
    settings.takeGridPreferences(256, 1, false);
    EXPECT_FALSE(settings.modified);
    settings.takeGridPreferences(256, 1, true);
    EXPECT_TRUE(settings.modified);
    EXPECT_EQ(settings.borders, 1);
}

TEST_F(ViewSettingsTest, ResetAndLoadClearModifiedAndDestructionWritesNothing) {
    {
        ViewSettings other(registry);
        other.modified = true;
        other.reset();
        EXPECT_FALSE(other.modified);
        other.modified = true;
        other.load();
        EXPECT_FALSE(other.modified);
        other.modified = true;
        registry.clearCalls();
    }
    EXPECT_TRUE(registry.calls().empty());
}

TEST(WindowSettingsVersionText, PrintsBothHalvesAsPlainDecimals) {
    RecordingRegistry registry;
    WindowSettings settings(registry);
    for (auto [version, text] :
         {std::pair{65542u, "1.6"}, std::pair{0x1000Au, "1.10"}, std::pair{0u, "0.0"},
          std::pair{0xFFFFFFFFu, "65535.65535"}, std::pair{0x20000u, "2.0"}}) {
        settings.currentVersion = version;
        EXPECT_EQ(settings.versionText(), text) << version;
    }
}

}  // namespace
}  // namespace vexa
