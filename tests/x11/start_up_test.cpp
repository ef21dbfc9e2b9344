// Start-up with injected platform versions: a 16-bit Windows host gets its message before
// anything else happens; any other version runs, reading and writing the settings in the
// order of a run.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <optional>
#include <string>
#include <vector>

#include "ui_driver.h"
#include "x11_test_support.h"

namespace vexa::testing {
namespace {

// The driver's report after start-up returned: its "call" lines, then "done".
std::vector<std::string> report(ChildProcess& driver) {
    std::vector<std::string> lines;
    while (auto line = driver.readLine()) {
        if (line->rfind("done", 0) == 0) {
            lines.push_back(*line);
            break;
        }
        lines.push_back(*line);
    }
    return lines;
}

TEST(StartUpTest, ASixteenBitWindowsHostIsRefusedBeforeTheRegistryIsTouched) {
    XConnection x;
    ChildProcess driver({VEXA_TEST_START_UP, "0x80000003"});
    const auto message = waitForMessage(x, "Vexa");
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->text, "This application only runs under Windows 95 and Windows NT.");
    ASSERT_TRUE(pressKeys(message->window, "Return"));
    // No key was opened or created, nothing read or written.
    EXPECT_EQ(report(driver), std::vector<std::string>{"done after 0 calls"});
}

// The exit status of `driver`, once it has ended.
std::optional<int> exitStatus(ChildProcess& driver) {
    const std::optional<int> status = driver.wait();
    if (!status || !WIFEXITED(*status)) return std::nullopt;
    return WEXITSTATUS(*status);
}

TEST(StartUpTest, RunningOutOfMemoryWhileLoadingTheSettingsShowsTheMemoryMessage) {
    XConnection x;
    ChildProcess driver({VEXA_TEST_START_UP, "0x00003303", "bad_alloc"});
    const auto message = waitForMessage(x, "Vexa");
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->text, "There is not enough memory to launch the application");
    ASSERT_TRUE(pressKeys(message->window, "Return"));
    const std::vector<std::string> lines = report(driver);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "call read CurrentVersion\\Version");
    EXPECT_EQ(exitStatus(driver), 1);
}

// A file the system refuses is no fault of the program: its message, and status 1.
TEST(StartUpTest, AFileErrorWhileLoadingTheSettingsShowsItsMessage) {
    XConnection x;
    ChildProcess driver({VEXA_TEST_START_UP, "0x00003303", "filesystem_error"});
    const auto message = waitForMessage(x, "Vexa");
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->text, "/gone/system.reg was not found.");
    ASSERT_TRUE(pressKeys(message->window, "Return"));
    EXPECT_FALSE(report(driver).empty());
    EXPECT_EQ(exitStatus(driver), 1);
}

// A fault of the program is not passed off as the lack of memory: no message box (the
// driver would wait for it to be dismissed), the run ends with its own status.
TEST(StartUpTest, AFaultWhileLoadingTheSettingsIsNotReportedAsLackOfMemory) {
    XConnection x;
    ChildProcess driver({VEXA_TEST_START_UP, "0x00003303", "logic_error"});
    const std::vector<std::string> lines = report(driver);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("done after ", 0), 0u);
    EXPECT_EQ(exitStatus(driver), 70);
}

TEST(StartUpTest, WindowsNt351RunsAndTheSettingsAreReadAndWrittenInRunOrder) {
    XConnection x;
    ChildProcess driver({VEXA_TEST_START_UP, "0x00003303"});
    const Window window = findWindowByName(x, "Vexa");
    ASSERT_NE(window, 0u);
    // The first start of this version opens About; close it, then the window with Esc.
    const Window about = findWindowByName(x, "About Vexa");
    ASSERT_NE(about, 0u);
    ASSERT_TRUE(pressKeys(about, "Return"));
    ASSERT_TRUE(waitFor([&] { return findWindowByName(x, "About Vexa", 0ms) == 0; }));
    ASSERT_TRUE(pressKeys(window, "Escape"));
    // At exit the values the run did not change are read again before the save writes them.
    const std::vector<std::string> expected{"call read CurrentVersion\\Version",
                                            "call write CurrentVersion\\Version",
                                            "call read View\\Columns",
                                            "call read View\\Rows",
                                            "call read View\\Borders",
                                            "call read Window\\On top",
                                            "call read Window\\Bounds.bottom",
                                            "call read Window\\Bounds.right",
                                            "call read Window\\Bounds.top",
                                            "call read Window\\Bounds.left",
                                            "call read Window\\State",
                                            "call read View\\Columns",
                                            "call read View\\Rows",
                                            "call read View\\Borders",
                                            "call write View\\Columns",
                                            "call write View\\Rows",
                                            "call write View\\Borders",
                                            "call read Window\\On top",
                                            "call read Window\\State",
                                            "call write Window\\On top",
                                            "call write Window\\Bounds.left",
                                            "call write Window\\Bounds.top",
                                            "call write Window\\Bounds.right",
                                            "call write Window\\Bounds.bottom",
                                            "call write Window\\State"};
    std::vector<std::string> lines = report(driver);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("done after ", 0), 0u) << lines.back();
    lines.pop_back();
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace vexa::testing
