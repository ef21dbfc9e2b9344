// Following the installed colormap under a window manager with colormap focus (twm), with
// xwud as the other application: xwud shows an XWD made from a BMP in a colormap that holds
// the BMP's colour table index for index, and twm installs it while the pointer is in
// xwud's window. A window that follows the installed colormap keeps it installed when the
// pointer comes back; one that does not makes twm install the default colormap again.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include "platform/x11/program_colormap.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/x11/x11_display.h"
#include "x11_test_support.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;
using testing::Rgb;

const std::string kBmp = std::string(VEXA_TESTDATA_DIR) + "/bmp/g/pal8.bmp";

bool pumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = testing::kLiveness) {
    return testing::waitFor(
        [&] {
            Fl::wait(0.01);
            return condition();
        },
        timeout);
}

// Runs FLTK's loop for `time` and tells whether `condition` holds at its end. twm installs
// the root window's colormap for an instant whenever the pointer crosses from one window to
// another, so what counts is where the screen settles, not every instant on the way.
bool settlesAt(const std::function<bool()>& condition, std::chrono::milliseconds time) {
    testing::waitFor(
        [] {
            Fl::wait(0.01);
            return false;
        },
        time);
    return condition();
}

class FollowerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kBmp)) GTEST_SKIP() << "no test data";
        table_ = testing::readBmpColorTable(kBmp);
        ASSERT_EQ(table_.size(), 252u);
        xwd_ = testing::temporaryPath("vexa-follow", ".xwd");
        ASSERT_EQ(std::system(("convert '" + kBmp + "' '" + xwd_ + "'").c_str()), 0);
        // The pointer starts over the bare root window, away from every client, so twm has
        // no colormap focus change pending when a test begins.
        testing::movePointer(x_, 1000, 700);
        window_ = std::make_unique<Fl_Window>(400, 300, 120, 100, "follower");
        window_->end();
        window_->show();
        ASSERT_TRUE(
            pumpUntil([&] { return window_->visible() && isViewable(fl_xid(window_.get())); }));
    }
    void TearDown() override {
        xwud_.reset();
        if (window_) window_->hide();
        if (!xwd_.empty()) std::filesystem::remove(xwd_);
    }

    bool isViewable(Window w) {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(x_, w, &attributes) && attributes.map_state == IsViewable;
    }

    // Starts xwud and returns its window once it is on screen.
    Window startXwud() {
        xwud_ = std::make_unique<testing::ChildProcess>(
            std::vector<std::string>{"xwud", "-new", "-in", xwd_});
        Window w = testing::findWindowByName(x_, "xwud: ");
        EXPECT_NE(w, Window(0));
        EXPECT_TRUE(testing::waitFor([&] { return isViewable(w); }));
        return w;
    }

    // Moves the pointer into `w` and leaves twm time to act on it, as a person would.
    void pointInto(Window w) {
        const auto [left, top] = testing::rootPosition(x_, w);
        testing::movePointer(x_, left + 20, top + 20);
        pumpUntil([] { return false; }, 300ms);
    }

    Window ours() { return fl_xid(window_.get()); }

    testing::XConnection x_;
    std::vector<Rgb> table_;
    std::string xwd_;
    std::unique_ptr<Fl_Window> window_;
    std::unique_ptr<testing::ChildProcess> xwud_;
};

TEST_F(FollowerTest, WithoutFollowingColormapFocusReinstallsTheDefault) {
    const Colormap defaultMap = DefaultColormap(x_.get(), 0);
    const Window xwud = startXwud();
    const Colormap xwudMap = testing::windowColormap(x_, xwud);
    ASSERT_NE(xwudMap, defaultMap);
    pointInto(xwud);
    ASSERT_TRUE(pumpUntil([&] { return testing::installedColormap(x_) == xwudMap; }));
    pointInto(ours());
    EXPECT_TRUE(pumpUntil([&] { return testing::installedColormap(x_) == defaultMap; }));
}

TEST_F(FollowerTest, FollowingKeepsTheOtherApplicationsColoursInstalled) {
    X11Display display(fl_display);
    ProgramColormap follower(display);
    const Window xwud = startXwud();
    const Colormap xwudMap = testing::windowColormap(x_, xwud);
    pointInto(xwud);
    ASSERT_TRUE(pumpUntil([&] { return testing::installedColormap(x_) == xwudMap; }));
    ASSERT_TRUE(pumpUntil([&] { return testing::windowColormap(x_, ours()) == xwudMap; }));

    pointInto(ours());
    EXPECT_TRUE(settlesAt([&] { return testing::installedColormap(x_) == xwudMap; }, 1000ms));

    // xwud's colormap holds the BMP's colour table index for index: the system palette read
    // through the display layer is exactly that table.
    std::array<PaletteEntry, 256> entries{};
    ASSERT_EQ(display.readSystemPaletteEntries(0, 256, entries.data()), 256);
    for (std::size_t i = 0; i < table_.size(); ++i)
        EXPECT_EQ((Rgb{entries[i].red, entries[i].green, entries[i].blue}), table_[i]) << i;

    // When xwud exits its colormap goes, the default comes back, and the window follows it.
    xwud_.reset();
    EXPECT_TRUE(pumpUntil(
        [&] { return testing::windowColormap(x_, ours()) == DefaultColormap(x_.get(), 0); }));
}

TEST_F(FollowerTest, RealisationThroughOurWindowStaysUnderColormapFocus) {
    // twm undoes any installation that is not the colormap of the window with colormap
    // focus; the realisation therefore goes through the window's colormap too.
    pointInto(ours());
    X11Display display(fl_display);
    ProgramColormap follower(display);
    LogicalPalette palette;
    palette.count = 256;
    palette.entries.fill({0x20, 0x40, 0x60, PC_NOCOLLAPSE});
    display.realisePalette(*display.createPalette(palette));
    const Colormap realised = display.realisedColormap();
    EXPECT_TRUE(pumpUntil([&] { return testing::installedColormap(x_) == realised; }));
    EXPECT_EQ(testing::windowColormap(x_, ours()), realised);
    EXPECT_EQ(testing::installedColors(x_)[100], (Rgb{0x20, 0x40, 0x60}));

    // Another application takes the screen, and coming back to Vexa keeps its colours.
    const Window xwud = startXwud();
    const Colormap xwudMap = testing::windowColormap(x_, xwud);
    pointInto(xwud);
    ASSERT_TRUE(pumpUntil([&] { return testing::windowColormap(x_, ours()) == xwudMap; }));
    pointInto(ours());
    EXPECT_TRUE(settlesAt([&] { return testing::installedColormap(x_) == xwudMap; }, 500ms));
}

TEST_F(FollowerTest, ScreenPixelOverXwudIsTheBmpColourOfThatPixel) {
    const Window xwud = startXwud();
    pointInto(xwud);
    ASSERT_TRUE(pumpUntil(
        [&] { return testing::installedColormap(x_) == testing::windowColormap(x_, xwud); }));
    X11Display display(fl_display);
    const auto [left, top] = testing::rootPosition(x_, xwud);
    const auto pixels = testing::windowPixels(x_, xwud, 0, 0, 40, 30);
    ASSERT_EQ(pixels.size(), 40u * 30u);
    int checked = 0;
    for (int py = 0; py < 30; py += 7)
        for (int px = 0; px < 40; px += 9) {
            const unsigned long pixel = pixels[py * 40 + px];
            ASSERT_LT(pixel, table_.size());
            const Rgb c = table_[pixel];
            EXPECT_EQ(display.screenPixel(left + px, top + py),
                      makeColorRef(c.red, c.green, c.blue))
                << px << "," << py;
            ++checked;
        }
    EXPECT_EQ(checked, 25);
}

}  // namespace
}  // namespace vexa
