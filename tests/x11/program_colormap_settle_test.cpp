// The follower without a window manager: it follows installations by other clients, and only
// once the installed colormap has settled, so an instant's installation of the default
// colormap (as window managers make while the pointer crosses between windows) is ignored.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include "platform/x11/program_colormap.h"
#include "platform/x11/x11_display.h"
#include "x11_test_support.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;

void pumpFor(std::chrono::milliseconds time) {
    testing::waitFor(
        [] {
            Fl::wait(0.005);
            return false;
        },
        time);
}

bool pumpUntil(const std::function<bool()>& condition) {
    return testing::waitFor([&] {
        Fl::wait(0.01);
        return condition();
    });
}

// Counts the colormap changes of a window, seen from another connection.
class ColormapChangeCounter {
  public:
    ColormapChangeCounter(testing::XConnection& x, Window window) : x_(x), window_(window) {
        XSelectInput(x_, window_, ColormapChangeMask);
        XSync(x_, False);
    }
    int changes() {
        XSync(x_, False);
        XEvent event;
        while (XCheckTypedWindowEvent(x_, window_, ColormapNotify, &event))
            if (event.xcolormap.c_new) ++count_;
        return count_;
    }

  private:
    testing::XConnection& x_;
    Window window_;
    int count_ = 0;
};

class SettleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.end();
        window_.show();
        ASSERT_TRUE(pumpUntil([&] { return fl_xid(&window_) != 0 && window_.visible(); }));
    }
    Window ours() { return fl_xid(&window_); }

    testing::XConnection x_;
    Fl_Window window_{10, 10, 80, 60, "settle"};
};

TEST_F(SettleTest, FollowsAnotherClientsInstallationOnceItStays) {
    X11Display display(fl_display);
    ProgramColormap follower(display);
    testing::ColormapHolder holder({"--color", "10-245=804020"});
    EXPECT_TRUE(
        pumpUntil([&] { return testing::windowColormap(x_, ours()) == holder.colormap(); }));
    holder.exit();  // its colormap goes: the window follows the default that comes back
    EXPECT_TRUE(pumpUntil(
        [&] { return testing::windowColormap(x_, ours()) == DefaultColormap(x_.get(), 0); }));
}

TEST_F(SettleTest, AnInstantOfTheDefaultColormapIsNotFollowed) {
    testing::ColormapHolder holder({"--color", "10-245=804020"});
    X11Display display(fl_display);
    ProgramColormap follower(display);
    ASSERT_TRUE(
        pumpUntil([&] { return testing::windowColormap(x_, ours()) == holder.colormap(); }));
    pumpFor(400ms);
    ColormapChangeCounter counter(x_, ours());

    // The crossing: the root window's colormap for an instant, then the other one again.
    XInstallColormap(x_, DefaultColormap(x_.get(), 0));
    XSync(x_, False);
    pumpFor(50ms);  // the follower sees the default installed
    XInstallColormap(x_, holder.colormap());
    XSync(x_, False);
    pumpFor(500ms);
    EXPECT_EQ(counter.changes(), 0);
    EXPECT_EQ(testing::windowColormap(x_, ours()), holder.colormap());

    // The desktop's colormap is not followed even when it stays (a window manager installs
    // it while the pointer rests on the desktop); the window keeps the other one for when
    // the pointer comes back.
    XInstallColormap(x_, DefaultColormap(x_.get(), 0));
    XSync(x_, False);
    pumpFor(500ms);
    EXPECT_EQ(testing::windowColormap(x_, ours()), holder.colormap());
    EXPECT_EQ(counter.changes(), 0);
}

}  // namespace
}  // namespace vexa
