// The command line of the real binary: answers that need no display, usage errors, and the
// X toolkit options -display and -geometry on a private 8-bit Xvfb.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "desktop.h"
#include "ui_driver.h"
#include "vexa_session.h"

namespace vexa::testing {
namespace {

using CommandLineE2E = VexaTest;

TEST_F(CommandLineE2E, HelpAndVersionAnswerWithoutADisplay) {
    const Outcome help = runVexa(home, "", "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: vexa --nested [WxH] [-- COMMAND [ARG...]]\n", 0), 0u)
        << help.out;
    EXPECT_EQ(help.err, "");

    const Outcome version = runVexa(home, "", "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Vexa 1.6\n");
    EXPECT_EQ(version.err, "");
    EXPECT_TRUE(home.storeText().empty()) << "the settings are not touched";
}

TEST_F(CommandLineE2E, AnUnknownOptionIsAUsageErrorBeforeAnyWindow) {
    // With a usable display the program would start: it must not get that far.
    const Outcome bogus = runVexa(home, DisplayString(x.get()), "--bogus");
    EXPECT_EQ(bogus.status, 2);
    EXPECT_EQ(bogus.out, "");
    EXPECT_EQ(bogus.err.rfind("vexa: unknown option '--bogus'\nUsage: vexa ", 0), 0u) << bogus.err;
    EXPECT_EQ(runVexa(home, DisplayString(x.get()), "-geometry huge").status, 2);
    EXPECT_TRUE(home.storeText().empty());
}

TEST_F(CommandLineE2E, DisplayOptionChoosesTheServerOverDisplay) {
    home.seedVersion();
    const std::string ours = DisplayString(x.get());
    const std::string inherited = std::getenv("DISPLAY");
    setenv("DISPLAY", ":4711", 1);  // a server that does not exist
    ASSERT_NO_FATAL_FAILURE(start({"-display", ours})) << "no window on " << ours;
    setenv("DISPLAY", inherited.c_str(), 1);
    // The clipboard's own connection goes to the same server.
    ASSERT_TRUE(chooseMenu(window, {"alt+e", "c"}));
    std::optional<std::string> text;
    EXPECT_TRUE(waitFor([&] {
        return (text = runProgram({"xclip", "-selection", "clipboard", "-o"})).has_value();
    }));
    EXPECT_EQ(text.value_or("").rfind("Vexa - Win32 Color Palette Tool\n", 0), 0u);
    ASSERT_TRUE(xdotool({"windowfocus", "--sync", std::to_string(window), "key", "Escape"}));
    EXPECT_EQ(vexa->waitForExit(), 0);
}

TEST_F(CommandLineE2E, GeometryWinsOverTheStoredPlacementForThatRun) {
    home.seedVersion(65542, storedBounds(100, 100, 400, 300));
    ASSERT_NO_FATAL_FAILURE(start({"-geometry", "320x240+30+40"}));
    EXPECT_TRUE(vexa->waitForGeometry(x, window, {30, 40, 320, 240}))
        << toString(windowGeometry(x, window));
    ASSERT_TRUE(chooseMenu(window, {"Escape"}));
    EXPECT_EQ(vexa->waitForExit(), 0);

    // From the right and bottom edges of the 1024 x 768 screen, keeping the stored size.
    ASSERT_NO_FATAL_FAILURE(start({"-geom", "-10-20"}));
    EXPECT_TRUE(vexa->waitForGeometry(x, window, {714, 548, 300, 200}))
        << toString(windowGeometry(x, window));
}

TEST_F(CommandLineE2E, NestedOnAPaletteDisplayRunsVexaAndTheCommandRightThere) {
    home.seedVersion();
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    ChildProcess session({VEXA_BINARY, "--nested", "--", colormapHolderPath(), "--geometry",
                          "64x64+10+10", "--name", "Beside"});
    // No screen of its own is announced: the first line is the command's.
    const std::optional<std::string> first = session.readLine();
    EXPECT_EQ(first.value_or("").rfind("ready ", 0), 0u) << first.value_or("(nothing)");
    EXPECT_NE(findWindowByName(x, "Beside", 0ms), 0u);
    window = findWindowByName(x, "Vexa");
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(xdotool({"windowfocus", "--sync", std::to_string(window), "key", "Escape"}));
    EXPECT_EQ(session.wait(), 0);
    EXPECT_TRUE(waitFor([&] { return findWindowByName(x, "Beside", 0ms) == 0; }));
}

// A one-off -geometry is not remembered, whatever places the window: the next plain start
// opens at the place the runs before kept.
class GeometryInDesktopE2E : public ::testing::TestWithParam<Desktop> {};

TEST_P(GeometryInDesktopE2E, TheNextPlainStartOpensAtTheRememberedPlace) {
    XConnection x;
    ConfigHome home;
    home.seedVersion(65542, storedBounds(100, 100, 400, 300));
    WindowManager manager(x, GetParam());
    {
        VexaProcess vexa(home, {"-geometry", "320x240+30+40"});
        const Window window = vexa.waitForWindow(x);
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(waitForSteadyGeometry(x, window));
        const Geometry frame = frameOf(x, window);
        EXPECT_EQ((std::pair{frame.x, frame.y}), (std::pair{30, 40})) << toString(frame);
        ASSERT_TRUE(pressKeys(window, "Escape"));
        EXPECT_EQ(vexa.waitForExit(), 0);
    }
    for (const auto& [entry, value] : storedBounds(100, 100, 400, 300))
        EXPECT_EQ(home.dword("Window", entry.substr(7)), value) << entry;
    VexaProcess again(home);
    const Window window = again.waitForWindow(x);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(waitForSteadyGeometry(x, window));
    EXPECT_EQ(frameOf(x, window), (Geometry{100, 100, 300, 200}));
}

INSTANTIATE_TEST_SUITE_P(Desktops, GeometryInDesktopE2E,
                         ::testing::Values(Desktop::bare, Desktop::twm, Desktop::openbox),
                         [](const auto& param) { return desktopName(param.param); });

}  // namespace
}  // namespace vexa::testing
