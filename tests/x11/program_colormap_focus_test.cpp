// The follower while a window manager gives the program colormap focus. The test's own
// connection stands in for the window manager: it redirects the root, gives focus, and
// installs colormaps as openbox (focus, EWMH) and twm (pointer) do. Right after a
// realisation such a manager may install, for a moment, the colormap it last knew for the
// focused window, the one before the realisation; the window must keep the realised one,
// which the manager installs once it catches up. When colormap focus goes to the other
// program, the window follows its colormap again.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include "platform/x11/program_colormap.h"
#include "platform/x11/x11_display.h"
#include "x11_test_support.h"

namespace vexa {
namespace {

using testing::windowColormap;

// Runs FLTK until it has handled every event the server sent before this call, and those
// that its own requests bring.
void handleAllEvents() {
    do {
        XSync(fl_display, False);
        Fl::check();
    } while (XPending(fl_display));
}

class ColormapFocusTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        window_.end();
        window_.show();
        // Mapped for the server before the test takes the root's redirect: a map request
        // that reached the server after it would wait for a manager that never answers.
        ASSERT_TRUE(testing::waitFor([&] {
            Fl::wait(0.01);
            XWindowAttributes attributes{};
            return fl_xid(&window_) != 0 &&
                   XGetWindowAttributes(x_, fl_xid(&window_), &attributes) &&
                   attributes.map_state == IsViewable;
        }));
        XSelectInput(x_, DefaultRootWindow(x_.get()), SubstructureRedirectMask);
        if (announced()) {
            const Window check = XCreateSimpleWindow(x_, x_.root(), 0, 0, 1, 1, 0, 0, 0);
            const Atom name = XInternAtom(x_, "_NET_SUPPORTING_WM_CHECK", False);
            for (Window w : {x_.root(), check})
                XChangeProperty(x_, w, name, XA_WINDOW, 32, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(&check), 1);
        }
        XSync(x_, False);
    }

    bool announced() const { return GetParam(); }
    Window ours() { return fl_xid(&window_); }

    // What a window manager does when the user turns to `window`: the focus (openbox) or
    // the pointer (twm), and the colormap it knows for it.
    void turnTo(Window window, Colormap colormap) {
        if (announced()) {
            XSetInputFocus(x_, window, RevertToPointerRoot, CurrentTime);
        } else {
            const auto [left, top] = testing::rootPosition(x_, window);
            testing::movePointer(x_, left + 5, top + 5);
        }
        XInstallColormap(x_, colormap);
        XSync(x_, False);
    }

    testing::XConnection x_;
    testing::ColormapHolder other_{
        {"--color", "0-255=FF8000", "--no-install", "--geometry", "64x64+600+10"}};
    Fl_Window window_{10, 10, 120, 90, "focus"};
};

TEST_P(ColormapFocusTest, TheRealisedColormapOutlastsTheManagersLateReinstallOfTheOldOne) {
    X11Display display(fl_display);
    ProgramColormap follower(display);
    turnTo(other_.window(), other_.colormap());
    handleAllEvents();
    ASSERT_EQ(windowColormap(x_, ours()), other_.colormap());

    turnTo(ours(), other_.colormap());
    LogicalPalette palette;
    palette.count = 256;
    palette.entries.fill({0x20, 0x40, 0x60, PC_NOCOLLAPSE});
    display.realisePalette(*display.createPalette(palette));
    const Colormap realised = display.realisedColormap();
    handleAllEvents();
    ASSERT_EQ(windowColormap(x_, ours()), realised);

    // The manager has not yet heard of the change and installs what the window had before.
    XInstallColormap(x_, other_.colormap());
    XSync(x_, False);
    handleAllEvents();
    EXPECT_EQ(windowColormap(x_, ours()), realised);
    XInstallColormap(x_, realised);  // it catches up
    XSync(x_, False);
    handleAllEvents();
    EXPECT_EQ(testing::installedColormap(x_), realised);
    EXPECT_EQ(windowColormap(x_, ours()), realised);

    // The user turns to the other program: its colours are the ones to keep now.
    turnTo(other_.window(), other_.colormap());
    handleAllEvents();
    EXPECT_EQ(windowColormap(x_, ours()), other_.colormap());
}

INSTANTIATE_TEST_SUITE_P(Managers, ColormapFocusTest, ::testing::Values(true, false),
                         [](const auto& param) { return param.param ? "focus" : "pointer"; });

}  // namespace
}  // namespace vexa
