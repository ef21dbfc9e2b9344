// The ends of a run other than the close box: SIGTERM, SIGINT and SIGHUP end it as the close
// box does, saving the view; losing the X server saves the placement last seen and the view,
// and exits with status 1 after one line on standard error; a window manager gone first
// leaves the placement the window had in its frame.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "desktop.h"
#include "vexa_session.h"

namespace vexa::testing {
namespace {

TEST(RunEndE2E, TermIntAndHupEachEndTheRunAndSaveAViewChange) {
    XConnection x;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        ConfigHome home;
        home.seedVersion();
        VexaProcess vexa(home);
        const Window window = vexa.waitForWindow(x);
        ASSERT_NE(window, 0u);
        // 16 columns, then Shrink to Fit: the new height proves both were done.
        ASSERT_TRUE(chooseMenu(window, {"alt+v", "c", "1"}));
        ASSERT_TRUE(chooseMenu(window, {"alt+v", "s"}));
        ASSERT_TRUE(waitFor([&] { return windowGeometry(x, window).height != 96; }));
        ASSERT_EQ(::kill(vexa.pid(), number), 0);
        EXPECT_EQ(vexa.waitForExit(), 0) << strsignal(number);
        EXPECT_EQ(home.dword("View", "Columns"), 16u) << strsignal(number);
        EXPECT_EQ(home.dword("View", "Rows"), 16u) << strsignal(number);
        EXPECT_TRUE(home.dword("Window", "Bounds.left").has_value()) << strsignal(number);
    }
}

TEST(RunEndE2E, UnderNohupAHangUpLeavesTheRunGoing) {
    XConnection x;
    ConfigHome home;
    home.seedVersion();
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    ChildProcess vexa({"sh", "-c", "trap '' HUP; exec \"$0\"", VEXA_BINARY});
    const Window window = findWindowByName(x, "Vexa");
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(ignoresSignal(vexa.pid(), SIGHUP));
    ASSERT_EQ(::kill(vexa.pid(), SIGHUP), 0);
    // Still answering after the hang-up: 16 columns, then Shrink to Fit.
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "c", "1"}));
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "s"}));
    ASSERT_TRUE(waitFor([&] { return windowGeometry(x, window).height != 96; }));
    ASSERT_EQ(::kill(vexa.pid(), SIGTERM), 0);
    const std::optional<int> status = vexa.wait();
    EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    EXPECT_EQ(home.dword("View", "Columns"), 16u);
}

TEST(RunEndE2E, LosingTheServerAfterAMoveSavesThePlacementAndViewAndExitsWithOneLine) {
    const char* server = std::getenv("VEXA_XVFB_PID");
    ASSERT_NE(server, nullptr) << "runs under with-xvfb only";
    // Never closed: the server is gone by the end, and Xlib must not be called again.
    auto* x = new XConnection;
    ConfigHome home;
    home.seedVersion();
    const std::string errors = home.path() + "/stderr";
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    ChildProcess vexa(
        {"/bin/sh", "-c", std::string("exec '") + VEXA_BINARY + "' 2>'" + errors + "'"});
    const Window window = findWindowByName(*x, "Vexa");
    ASSERT_NE(window, 0u);
    // The move first: the keys after it reach vexa after the move's notice, so the new
    // height shows that vexa knows where its window went.
    ASSERT_TRUE(xdotool({"windowmove", std::to_string(window), "100", "200"}));
    ASSERT_TRUE(waitFor([&] { return windowGeometry(*x, window).x == 100; }));
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "c", "1"}));
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "s"}));
    ASSERT_TRUE(waitFor([&] {
        const Geometry g = windowGeometry(*x, window);
        return g.x == 100 && g.y == 200 && g.height != 96;
    }));
    const Geometry last = windowGeometry(*x, window);

    ASSERT_EQ(::kill(std::atoi(server), SIGKILL), 0);
    const auto status = vexa.wait();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
    std::ifstream in(errors);
    std::stringstream read;
    read << in.rdbuf();
    const std::string text = read.str();
    EXPECT_EQ(text.rfind("vexa: lost the connection to display \":", 0), 0u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_EQ(home.dword("View", "Columns"), 16u);
    EXPECT_EQ(home.dword("Window", "Bounds.left"), 100u);
    EXPECT_EQ(home.dword("Window", "Bounds.top"), 200u);
    EXPECT_EQ(home.dword("Window", "Bounds.right"), static_cast<std::uint32_t>(100 + last.width));
    EXPECT_EQ(home.dword("Window", "Bounds.bottom"), static_cast<std::uint32_t>(200 + last.height));
}

TEST(RunEndE2E, WatchLosingTheServerExitsWithOneLine) {
    const char* server = std::getenv("VEXA_XVFB_PID");
    ASSERT_NE(server, nullptr) << "runs under with-xvfb only";
    auto* x = new XConnection;  // never closed, as above
    ConfigHome home;
    const std::string errors = home.path() + "/stderr";
    ChildProcess watch(
        {"/bin/sh", "-c", std::string("exec '") + VEXA_BINARY + "' --watch 2>'" + errors + "'"});
    // Installing a colormap of other colours until a line comes proves it is watching.
    const Colormap other =
        XCreateColormap(*x, DefaultRootWindow(x->get()), DefaultVisual(x->get(), 0), AllocAll);
    std::optional<std::string> line;
    for (int i = 0; i < 50 && !line; ++i) {
        XInstallColormap(*x, i % 2 ? DefaultColormap(x->get(), 0) : other);
        XSync(*x, False);
        line = watch.readLine(100ms);
    }
    ASSERT_TRUE(line) << "--watch reported no change";

    ASSERT_EQ(::kill(std::atoi(server), SIGKILL), 0);
    const auto status = watch.wait();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
    std::stringstream read;
    read << std::ifstream(errors).rdbuf();
    EXPECT_EQ(read.str().rfind("vexa: lost the connection to display \":", 0), 0u) << read.str();
    EXPECT_EQ(std::ranges::count(read.str(), '\n'), 1) << read.str();
}

// A window manager that ends before Vexa hands its window back to the root without the
// frame, elsewhere: asked to end, the manager does it; killed, the server does.
class ManagerGoneE2E : public VexaInDesktop {};

TEST_P(ManagerGoneE2E, EndingAfterItSavesThePlacementTheWindowHadInItsFrame) {
    struct End {
        int managerSignal;
        bool escape;  // else SIGTERM to Vexa
    };
    for (const End end : {End{SIGTERM, false}, End{SIGKILL, true}}) {
        SCOPED_TRACE(std::string(strsignal(end.managerSignal)) + (end.escape ? ", Esc" : ", TERM"));
        if (!manager) manager = std::make_unique<WindowManager>(x, GetParam());
        home.seedVersion(65542, storedBounds(100, 120, 400, 260));
        ASSERT_NO_FATAL_FAILURE(startVexa());
        const Geometry loaded = frameOf(x, window);
        ASSERT_TRUE(xdotool({"windowmove", std::to_string(window), "300", "250"}));
        ASSERT_TRUE(waitFor([&] { return frameOf(x, window) != loaded; }));
        ASSERT_TRUE(waitForSteadyGeometry(x, window));
        // A readout answered proves Vexa has handled the news of the move before it.
        ASSERT_TRUE(turnTo(x, GetParam(), window));
        ASSERT_TRUE(xdotool({"mousedown", "1"}));
        ASSERT_TRUE(waitFor([&] { return title(x, window) != "Vexa"; }));
        ASSERT_TRUE(xdotool({"mouseup", "1"}));
        ASSERT_EQ(waitForTitle(x, window, "Vexa"), "Vexa");
        const Geometry before = frameOf(x, window);

        ASSERT_TRUE(manager->end(end.managerSignal));
        manager.reset();
        // Back at the root: no frame around the window any more.
        ASSERT_TRUE(waitFor([&] { return frameOf(x, window) == windowGeometry(x, window); }));
        if (end.escape)
            ASSERT_TRUE(pressKeys(window, "Escape"));
        else
            ASSERT_EQ(::kill(vexa->pid(), SIGTERM), 0);
        EXPECT_EQ(vexa->waitForExit(), 0);
        EXPECT_EQ(toString(storedPlacement(home)), toString(before));
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, ManagerGoneE2E,
                         ::testing::Values(Desktop::twm, Desktop::openbox),
                         [](const auto& param) { return desktopName(param.param); });

}  // namespace
}  // namespace vexa::testing
