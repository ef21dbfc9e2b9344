// Vexa under a window manager with colormap focus (twm): its frame counts in the window's
// size and position, and activating Vexa leaves another program's colormap installed.
#include <gtest/gtest.h>
// (after GoogleTest, whose names Xlib's macros would break)
#include <X11/Xutil.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "desktop.h"
#include "ui_driver.h"
#include "vexa_session.h"

namespace vexa::testing {
namespace {

// WM_STATE of a client window: 1 normal, 3 iconic, 0 when absent.
long wmState(::Display* display, Window window) {
    const std::vector<long> state = readLongProperty(display, window, "WM_STATE");
    return state.empty() ? 0 : state[0];
}

// Asks a window to close the way a window manager's close button does.
void sendDeleteWindow(::Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// The frame around `window`, waited for until `placed` holds for it, in `frame`; the failure
// names the last frame seen and the window inside it.
::testing::AssertionResult framePlaced(::Display* display, Window window, Geometry& frame,
                                       const std::function<bool(const Geometry&)>& placed) {
    if (waitFor([&] { return placed(frame = frameOf(display, window)); }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "frame " << toString(frame) << ", client "
                                         << toString(windowGeometry(display, window));
}

class WindowManagerE2E : public VexaTest {
  protected:
    // xwud showing ImageMagick's rose in a colormap of its own, `otherMap`, with the pointer
    // moved into it: the window manager installs that colormap and Vexa's window follows.
    void visitXwud() {
        const std::string image = home.path() + "/rose.xwd";
        const std::string convert = "convert rose: -colors 64 -type Palette 'XWD:" + image + "'";
        ASSERT_EQ(std::system(convert.c_str()), 0);
        xwud = std::make_unique<ChildProcess>(
            std::vector<std::string>{"xwud", "-new", "-in", image, "-geometry", "+10+10"});
        const Window other = findWindowByName(x, "xwud: ");
        ASSERT_NE(other, 0u);
        otherMap = windowColormap(x, other);
        ASSERT_NE(otherMap, DefaultColormap(x.get(), DefaultScreen(x.get())));

        const auto [ox, oy] = rootPosition(x, other);
        ASSERT_TRUE(
            xdotool({"mousemove", "--sync", std::to_string(ox + 20), std::to_string(oy + 20)}));
        ASSERT_TRUE(waitFor([&] { return installedColormap(x) == otherMap; }));
        // Vexa's window follows once the installation has settled.
        ASSERT_TRUE(waitFor([&] { return windowColormap(x, window) == otherMap; }));
    }

    std::unique_ptr<ChildProcess> xwud;
    Colormap otherMap = 0;
};

TEST_F(WindowManagerE2E, ClosedWhileMinimisedKeepsTheLoadedBoundsAndOpensNormalNextTime) {
    home.seedVersion(65542, storedBounds(100, 100, 400, 300));
    ASSERT_TRUE(waitForWindowManager(x));
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(waitFor([&] { return wmState(x, window) == NormalState; }));
    ASSERT_TRUE(xdotool({"windowminimize", "--sync", std::to_string(window)}));
    ASSERT_TRUE(waitFor([&] { return wmState(x, window) == IconicState; }));
    sendDeleteWindow(x, window);
    EXPECT_EQ(vexa->waitForExit(), 0);
    EXPECT_EQ(home.dword("Window", "State"), 2u);
    EXPECT_EQ(home.dword("Window", "Bounds.left"), 100u);
    EXPECT_EQ(home.dword("Window", "Bounds.bottom"), 300u);

    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_TRUE(waitFor([&] { return wmState(x, window) == NormalState; }));
    Geometry frame;
    EXPECT_TRUE(framePlaced(x, window, frame, [](const Geometry& f) {
        return f == Geometry{100, 100, 300, 200};
    }));
}

TEST_F(WindowManagerE2E, FirstStartSizesAndCentresTheFramedWindow) {
    home.seedVersion();
    ASSERT_TRUE(waitForWindowManager(x));
    ASSERT_NO_FATAL_FAILURE(start());
    // The client area holds 256 one-pixel tiles; the frame keeps the default height of
    // 768 / 8 and the window is centred by its frame. The window is placed before twm
    // takes it in, so the frame is waited for as well.
    EXPECT_TRUE(waitFor([&] { return windowGeometry(x, window).width == 256; }))
        << "client " << toString(windowGeometry(x, window));
    Geometry frame;
    EXPECT_TRUE(framePlaced(x, window, frame, [](const Geometry& f) {
        return f.width > 256 && f.height == 96 && f.x == (1024 - f.width) / 2 &&
               f.y == (768 - 96) / 2;
    }));
    EXPECT_GT(frame.width, 256) << "no frame was counted";
}

// -geometry gives the window's own size and places the frame's corner; -iconic minimises.
TEST_F(WindowManagerE2E, CommandLineGeometryPlacesTheFrameAndIconicMinimises) {
    home.seedVersion();
    ASSERT_TRUE(waitForWindowManager(x));
    ASSERT_NO_FATAL_FAILURE(start({"-geometry", "300x150-0-0", "-iconic"}));
    EXPECT_TRUE(waitFor([&] { return wmState(x, window) == IconicState; }));
    ASSERT_TRUE(xdotool({"windowmap", "--sync", std::to_string(window)}));
    EXPECT_TRUE(waitFor([&] { return wmState(x, window) == NormalState; }));
    Geometry frame;
    EXPECT_TRUE(framePlaced(x, window, frame, [&](const Geometry& f) {
        const Geometry client = windowGeometry(x, window);
        return client.width == 300 && client.height == 150 && f.x + f.width == 1024 &&
               f.y + f.height == 768;
    }));
    EXPECT_GT(frame.width, 300) << "no frame was counted";
}

TEST_F(WindowManagerE2E, ActivatingVexaKeepsAnotherProgramsColormapInstalled) {
    home.seedVersion();
    ASSERT_TRUE(waitForWindowManager(x));
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(waitFor([&] { return windowGeometry(x, window).width == 256; }));
    ASSERT_NO_FATAL_FAILURE(visitXwud());

    // Pointer back into Vexa's grid, and a click there: xwud's colormap stays installed.
    const Geometry vexaGeometry = windowGeometry(x, window);
    ASSERT_TRUE(xdotool({"mousemove", "--sync", std::to_string(vexaGeometry.x + 100),
                         std::to_string(vexaGeometry.y + vexaGeometry.height - 5), "click", "1"}));
    EXPECT_FALSE(waitFor([&] { return installedColormap(x) != otherMap; }, 1000ms));
    EXPECT_EQ(windowColormap(x, window), otherMap);

    // The same holds for the other windows of the program: F1 opens the Help window, and
    // the pointer inside it leaves xwud's colormap installed.
    ASSERT_TRUE(xdotool({"key", "F1"}));
    const Window help = findWindowByName(x, "Vexa Help");
    ASSERT_NE(help, 0u);
    ASSERT_TRUE(waitFor([&] { return windowGeometry(x, help).width > 0; }));
    const Geometry helpGeometry = windowGeometry(x, help);
    ASSERT_TRUE(xdotool({"mousemove", "--sync", std::to_string(helpGeometry.x + 20),
                         std::to_string(helpGeometry.y + 20)}));
    EXPECT_TRUE(waitFor([&] { return windowColormap(x, help) == otherMap; }));
    EXPECT_TRUE(waitFor([&] { return installedColormap(x) == otherMap; }));
    EXPECT_FALSE(waitFor([&] { return installedColormap(x) != otherMap; }, 1000ms));
}

TEST_F(WindowManagerE2E, SaveAsAfterVisitingAnotherProgramWritesThatProgramsPalette) {
    home.seedVersion();
    // Save As starts in the working directory.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(home.path());
    ASSERT_TRUE(waitForWindowManager(x));
    ASSERT_NO_FATAL_FAILURE(start());
    std::filesystem::current_path(before);
    ASSERT_TRUE(waitFor([&] { return windowGeometry(x, window).width == 256; }));
    ASSERT_NO_FATAL_FAILURE(visitXwud());

    // Back to Vexa, File > Save As, accept the offered name and the create question.
    const Geometry g = windowGeometry(x, window);
    ASSERT_TRUE(xdotool(
        {"mousemove", "--sync", std::to_string(g.x + 100), std::to_string(g.y + g.height - 5)}));
    ASSERT_TRUE(pressKeys(window, "alt+f s"));
    const Window chooser = waitForChooser(x, "Save As");
    ASSERT_NE(chooser, 0u);
    ASSERT_TRUE(pressKeys(chooser, "Return"));
    const auto question = waitForMessage(x, "Save As");
    ASSERT_TRUE(question.has_value());
    ASSERT_TRUE(pressKeys(question->window, "Return"));

    const std::string saved = home.path() + "/SysPal.bmp";
    ASSERT_TRUE(waitFor([&] { return readBmpColorTable(saved).size() == 256; }));
    const std::vector<Rgb> written = readBmpColorTable(saved);
    const std::vector<Rgb> expected = colormapColors(x, otherMap);
    ASSERT_EQ(expected.size(), 256u);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(written[i], expected[i]) << "entry " << i << ": " << toString(written[i])
                                           << " written, xwud holds " << toString(expected[i]);
}

}  // namespace
}  // namespace vexa::testing
