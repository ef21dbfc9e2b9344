// vexa --nested on a 24-bit TrueColor Xvfb standing in for the user's desktop: one nested
// window with an 8-bit Xephyr screen in it opens there, twm, Vexa and a command with a
// palette of its own run inside, and they all end together, whichever way the session ends.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "desktop.h"
#include "vexa_session.h"

namespace vexa::testing {
namespace {

constexpr const char* kNestedTitle = "Vexa: 8-bit screen";

// The command's colours: orange, blue and green thirds.
Rgb commandColour(unsigned long pixel) {
    return pixel < 100   ? Rgb{0xFF, 0x80, 0x00}
           : pixel < 200 ? Rgb{0x00, 0x80, 0xFF}
                         : Rgb{0x40, 0xC0, 0x40};
}

// True while `pid` runs: neither gone nor a zombie left for a parent to collect.
bool alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const std::size_t end = text.rfind(')');
    return end != std::string::npos && end + 2 < text.size() && text[end + 2] != 'Z';
}

// The running children of `parent` by their command names.
std::map<std::string, pid_t> childrenOf(pid_t parent) {
    std::map<std::string, pid_t> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        const std::size_t open = text.find('('), close = text.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        char state = 0;
        int ppid = 0;
        if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == parent &&
            state != 'Z')
            children[text.substr(open + 1, close - open - 1)] = std::stoi(name);
    }
    return children;
}

// True when a server socket is left that nothing answers on.
bool staleSocket(const std::string& display) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "/tmp/.X11-unix/X%s",
                  display.c_str() + 1);
    const int probe = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool refused =
        connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
        errno == ECONNREFUSED;
    close(probe);
    return refused;
}

// xdotool on the nested screen rather than on the desktop.
bool xdotoolOn(const std::string& display, const std::vector<std::string>& arguments) {
    const std::string desktop = std::getenv("DISPLAY");
    setenv("DISPLAY", display.c_str(), 1);
    const bool done = xdotool(arguments);
    setenv("DISPLAY", desktop.c_str(), 1);
    return done;
}

// The parent of `window`, 0 when there is none.
Window parentOf(::Display* display, Window window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    if (children) XFree(children);
    return parent;
}

bool exitedWith(const std::optional<int>& status, int code) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

bool mentions(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

class NestedE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        home.seedVersion();
        setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    }

    // `vexa --nested -- <the colormap holder>`, waited for until twm runs and Vexa's and
    // the command's windows are there; `shell` comes first in the shell that starts it.
    void start(const std::string& shell = "") {
        // Standard error comes through the same pipe, the session keeping its process.
        session = std::make_unique<ChildProcess>(std::vector<std::string>{
            "sh", "-c", shell + "exec \"$0\" \"$@\" 2>&1", VEXA_BINARY, "--nested", "--",
            colormapHolderPath(), "--color", "0-99=FF8000", "--color", "100-199=0080FF", "--color",
            "200-255=40C040", "--geometry", "96x96+20+40", "--no-install"});
        const std::optional<std::string> line = session->readLine();
        const std::string announcement = "vexa: the 8-bit screen is DISPLAY=";
        ASSERT_TRUE(line && line->rfind(announcement, 0) == 0) << line.value_or("(nothing)");
        display = line->substr(announcement.size());
        nested = std::make_unique<XConnection>(display);
        // The holder's own line comes through the session's standard output.
        const std::optional<std::string> ready = session->readLine();
        unsigned long id = 0, colormap = 0;
        ASSERT_TRUE(ready && std::sscanf(ready->c_str(), "ready %lu %lu", &id, &colormap) == 2);
        command = id;
        commandColormap = colormap;
        ASSERT_TRUE(waitForWindowManager(*nested));
        vexaWindow = findWindowByName(*nested, "Vexa");
        ASSERT_NE(vexaWindow, 0u);
        ASSERT_TRUE(waitForSteadyGeometry(*nested, vexaWindow));
        programs = childrenOf(session->pid());
        EXPECT_EQ(programs.size(), 4u) << "Xephyr, twm, Vexa and the command";
    }

    // Waits until none of the session's programs runs and no socket of its server is left.
    bool allGone(std::chrono::milliseconds timeout) {
        return waitFor(
            [&] {
                for (const auto& [name, pid] : programs)
                    if (alive(pid)) return false;
                return !staleSocket(display);
            },
            timeout);
    }

    // Ends the session by `signal`; what it wrote until then. Its status in `status`.
    std::vector<std::string> endBy(int signal) {
        nested.reset();
        ::kill(session->pid(), signal);
        return restOfOutput();
    }

    std::vector<std::string> restOfOutput() {
        std::vector<std::string> lines;
        while (const std::optional<std::string> line = session->readLine()) lines.push_back(*line);
        status = session->wait();
        return lines;
    }

    // Vexa's saved placement: left, top, right and bottom.
    std::vector<std::optional<std::uint32_t>> placement() const {
        std::vector<std::optional<std::uint32_t>> bounds;
        for (const char* side : {"left", "top", "right", "bottom"})
            bounds.push_back(home.dword("Window", std::string("Bounds.") + side));
        return bounds;
    }

    XConnection desktop;
    ConfigHome home;
    std::optional<int> status;
    std::unique_ptr<ChildProcess> session;
    std::string display;
    // Closed before the session ends: Xlib ends a program whose server goes away.
    std::unique_ptr<XConnection> nested;
    Window vexaWindow = 0, command = 0;
    Colormap commandColormap = 0;
    std::map<std::string, pid_t> programs;
};

TEST_F(NestedE2E, VexaShowsTheCommandsColoursAndEscapeEndsEverything) {
    ASSERT_NO_FATAL_FAILURE(start());
    std::vector<Window> titled;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(desktop, desktop.root(), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count; ++i)
        if (readStringProperty(desktop, children[i], "WM_NAME") == kNestedTitle)
            titled.push_back(children[i]);
    if (children) XFree(children);
    ASSERT_EQ(titled.size(), 1u) << "one nested window on the desktop";
    EXPECT_EQ(ScreenCount(nested->get()), 1);
    EXPECT_EQ(DefaultDepth(nested->get(), 0), 8);
    EXPECT_EQ(DefaultVisual(nested->get(), 0)->c_class, PseudoColor);
    ASSERT_TRUE(programs.count("Xephyr") && programs.count("twm") && programs.count("vexa"));

    // The pointer visits the command: twm installs its colormap, and the screen shows Vexa's
    // grid in the command's colours.
    const auto [left, top] = rootPosition(*nested, command);
    movePointer(*nested, left + 48, top + 48);
    ASSERT_TRUE(waitFor([&] { return installedColormap(*nested) == commandColormap; }));
    const Geometry g = windowGeometry(*nested, vexaWindow);
    const int height = g.height - kMenuHeight;
    const auto pixels = windowPixels(*nested, vexaWindow, 0, kMenuHeight, g.width, height);
    const auto shown = screenColors(*nested, g.x, g.y + kMenuHeight, g.width, height);
    ASSERT_EQ(shown.size(), pixels.size());
    std::set<unsigned long> thirds;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        thirds.insert(pixels[i] / 100);
        ASSERT_EQ(shown[i], commandColour(pixels[i])) << "pixel value " << pixels[i];
    }
    EXPECT_EQ(thirds.size(), 3u) << "the grid holds tiles of every third";

    // Vexa's window takes the colours on screen, so turning back to it keeps them; there,
    // Escape ends the session.
    ASSERT_TRUE(waitFor([&] { return windowColormap(*nested, vexaWindow) == commandColormap; }));
    movePointer(*nested, g.x + g.width / 2, g.y + kMenuHeight + 4);
    // twm gives the keyboard to the window the pointer enters.
    ASSERT_TRUE(waitFor([&] {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(*nested, &focus, &revert);
        return focus == vexaWindow;
    }));
    nested.reset();
    // The desktop gives the nested window the keyboard, as its window manager does, and the
    // key is typed on the desktop away from it: the nested screen takes it all the same.
    XSetInputFocus(desktop, titled.at(0), RevertToParent, CurrentTime);
    XWarpPointer(desktop, None, desktop.root(), 0, 0, 0, 0, 0, 0);
    ASSERT_TRUE(waitFor([&] {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(desktop, &focus, &revert);
        return parentOf(desktop, focus) == titled[0];
    }));
    // The screen may go before xdotool has released the key, failing it: the session's
    // end is what tells.
    xdotool({"key", "Escape"});
    EXPECT_TRUE(exitedWith(session->wait(), 0));
    EXPECT_TRUE(allGone(kLiveness));
}

TEST_F(NestedE2E, VexaOutlivesTheCommandAndClosingTheNestedWindowEndsTheRest) {
    WindowManager manager(desktop, Desktop::openbox);
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_EQ(programs.count("vexa-test-color"), 1u);
    // The holder ends when its standard input, the session's, ends.
    session->closeInput();
    ASSERT_TRUE(waitFor([&] { return !alive(programs["vexa-test-color"]); }));
    // Vexa still answers: Help > About opens.
    ASSERT_TRUE(xdotoolOn(display, {"windowfocus", "--sync", std::to_string(vexaWindow), "key",
                                    "--delay", "60", "alt+h", "a"}));
    EXPECT_NE(findWindowByName(*nested, "About Vexa"), 0u);
    EXPECT_TRUE(session->running());

    // The desktop's window manager closes the nested window, as its close button does.
    const Window screen = findWindowByName(desktop, kNestedTitle, 0ms);
    ASSERT_NE(screen, 0u);
    nested.reset();
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = screen;
    close.xclient.message_type = XInternAtom(desktop, "_NET_CLOSE_WINDOW", False);
    close.xclient.format = 32;
    close.xclient.data.l[1] = 2;  // from a pager or a task bar, as a user's click
    XSendEvent(desktop, desktop.root(), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &close);
    XSync(desktop, False);
    const std::vector<std::string> lines = restOfOutput();
    EXPECT_TRUE(exitedWith(status, 0));
    EXPECT_TRUE(allGone(kLiveness));
    // Vexa, twm and the server end in order: nothing failed, and the session says what
    // happened.
    EXPECT_FALSE(mentions(lines, "vexa: twm")) << ::testing::PrintToString(lines);
    EXPECT_FALSE(mentions(lines, "lost the connection")) << ::testing::PrintToString(lines);
    EXPECT_TRUE(mentions(lines, "vexa: the nested window was closed; the session ends"));
}

TEST_F(NestedE2E, TermOrKillOfTheSessionLeavesNothingBehind) {
    for (const int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(strsignal(signal));
        ASSERT_NO_FATAL_FAILURE(start());
        nested.reset();
        ASSERT_EQ(kill(session->pid(), signal), 0);
        EXPECT_TRUE(allGone(kLiveness));
        const std::optional<int> ended = session->wait();
        if (signal == SIGTERM)
            EXPECT_TRUE(exitedWith(ended, 128 + SIGTERM));
        else
            EXPECT_TRUE(ended && WIFSIGNALED(*ended));
        session.reset();
    }
}

// Whatever ends it, the session ends Vexa first, while its window manager and screen stand:
// the placement it saves stays as it was, and nothing in the screen loses its connection.
class NestedEndE2E : public NestedE2E, public ::testing::WithParamInterface<Desktop> {};

TEST_P(NestedEndE2E, SignalEndsKeepTheSavedPlacement) {
    WindowManager manager(desktop, GetParam());
    std::vector<std::optional<std::uint32_t>> first;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        ASSERT_NO_FATAL_FAILURE(start());
        const std::vector<std::string> lines = endBy(signal);
        EXPECT_TRUE(exitedWith(status, 128 + signal));
        EXPECT_FALSE(mentions(lines, "lost the connection")) << ::testing::PrintToString(lines);
        if (first.empty()) first = placement();
        EXPECT_EQ(placement(), first);
        EXPECT_TRUE(allGone(kLiveness));
        session.reset();
    }
    ASSERT_TRUE(first.at(0).has_value());
}

INSTANTIATE_TEST_SUITE_P(Desktops, NestedEndE2E, ::testing::Values(Desktop::bare, Desktop::openbox),
                         [](const auto& param) { return desktopName(param.param); });

TEST_F(NestedE2E, ADestroyedNestedWindowOrAKilledConnectionEndsTheSessionLikeAClose) {
    for (const bool kill : {false, true}) {
        SCOPED_TRACE(kill ? "xkill" : "xdotool windowclose");
        ASSERT_NO_FATAL_FAILURE(start());
        const Window screen = findWindowByName(desktop, kNestedTitle, 0ms);
        ASSERT_NE(screen, 0u);
        nested.reset();
        // No close request: the window, or its program's connection, simply goes.
        if (kill)
            XKillClient(desktop, screen);
        else
            XDestroyWindow(desktop, screen);
        XSync(desktop, False);
        const std::vector<std::string> lines = restOfOutput();
        EXPECT_TRUE(exitedWith(status, 0));
        EXPECT_TRUE(allGone(kLiveness));
        EXPECT_TRUE(mentions(lines, "vexa: the nested window was closed; the session ends"));
        EXPECT_FALSE(mentions(lines, "lost the connection")) << ::testing::PrintToString(lines);
        session.reset();
    }
}

// Off until Vexa itself keeps the placement it last knew when its window manager has gone:
// the session cannot save it from an end that comes after twm's.
TEST_F(NestedE2E, TheWindowManagerKilledFirstKeepsThePlacement) {
    ASSERT_NO_FATAL_FAILURE(start());
    endBy(SIGTERM);
    const std::vector<std::optional<std::uint32_t>> first = placement();
    ASSERT_TRUE(first.at(0).has_value());
    session.reset();
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_EQ(::kill(programs["twm"], SIGKILL), 0);
    ASSERT_TRUE(waitFor([&] { return !alive(programs["twm"]); }));
    // Vexa's window is the root's child again once twm's frame has gone.
    ASSERT_TRUE(waitFor([&] { return parentOf(*nested, vexaWindow) == nested->root(); }));
    endBy(SIGTERM);
    EXPECT_EQ(placement(), first);
}

TEST_F(NestedE2E, UnderNohupTheSessionAndVexaOutliveAHangUp) {
    ASSERT_NO_FATAL_FAILURE(start("trap '' HUP; "));
    EXPECT_TRUE(ignoresSignal(session->pid(), SIGHUP));
    EXPECT_TRUE(ignoresSignal(programs["vexa"], SIGHUP));
    // A hang-up the session heeded would end it first, with its own status.
    nested.reset();
    ASSERT_EQ(::kill(session->pid(), SIGHUP), 0);
    endBy(SIGTERM);
    EXPECT_TRUE(exitedWith(status, 128 + SIGTERM));
}

// The first lines `vexa --nested` writes to standard error in `shell` (a shell command that
// ends in running it), its status, and whether it ended within a second.
struct QuickEnd {
    std::vector<std::string> lines;
    std::optional<int> status;
    bool withinASecond = false;
};
QuickEnd runQuickly(const std::string& shell) {
    const auto start = std::chrono::steady_clock::now();
    ChildProcess run({"sh", "-c", shell + " '" VEXA_BINARY "' --nested 2>&1"});
    QuickEnd end;
    while (const auto line = run.readLine(5000ms)) end.lines.push_back(*line);
    end.status = run.wait(5000ms);
    end.withinASecond = std::chrono::steady_clock::now() - start < 1s;
    return end;
}

TEST_F(NestedE2E, MissingPiecesAreNamedAtOnceWithAFailingStatus) {
    // A PATH with twm but without Xephyr.
    const std::string folder = home.path() + "/bin";
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink("/usr/bin/twm", folder + "/twm");
    QuickEnd end = runQuickly("PATH='" + folder + "' exec");
    EXPECT_TRUE(exitedWith(end.status, 1));
    EXPECT_TRUE(end.withinASecond);
    EXPECT_EQ(end.lines, (std::vector<std::string>{
                             "vexa: --nested needs Xephyr to open an 8-bit screen, and it is not "
                             "installed",
                             "vexa: install the Debian package xserver-xephyr (sudo apt install "
                             "xserver-xephyr)"}));

    end = runQuickly("unset DISPLAY; exec");
    EXPECT_TRUE(exitedWith(end.status, 1));
    EXPECT_TRUE(end.withinASecond);
    ASSERT_FALSE(end.lines.empty());
    EXPECT_EQ(end.lines[0],
              "vexa: there is no desktop to open an 8-bit screen on: DISPLAY is not set");
    EXPECT_NE(end.lines.at(1).find("ssh -X"), std::string::npos);
}

}  // namespace
}  // namespace vexa::testing
