// Save As and Copy under a window manager with colormap focus (twm): the pointer passes
// through Vexa's window, its dialog and its question, and what is saved and copied is still
// the palette of the other program that installed its colormap before.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "ui_driver.h"
#include "vexa_session.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

bool pointerInto(::Display* x, Window window) {
    const Geometry g = windowGeometry(x, window);
    return xdotool({"mousemove", "--sync", std::to_string(g.x + g.width / 2),
                    std::to_string(g.y + g.height / 2)});
}

TEST(FileCommandsUnderWindowManager, SaveAsAndCopyKeepTheOtherProgramsPalette) {
    XConnection x;
    ConfigHome home;
    home.seedVersion();
    const std::string dir = home.path() + "/files";
    fs::create_directories(dir);
    fs::current_path(dir);
    ASSERT_TRUE(waitForWindowManager(x));

    VexaProcess vexa(home);
    const Window window = vexa.waitForWindow(x);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(waitFor([&] { return windowGeometry(x, window).width > 0; }));

    ColormapHolder other({"--color", "10-99=FF8000", "--color", "100-199=0080FF", "--color",
                          "200-255=40C040", "--geometry", "64x64+10+10", "--no-install"});
    ASSERT_TRUE(pointerInto(x, other.window()));
    ASSERT_TRUE(waitFor([&] { return installedColormap(x) == other.colormap(); }));
    const std::vector<Rgb> colours = colormapColors(x, other.colormap());
    // Vexa's window follows once the installation has settled.
    ASSERT_TRUE(waitFor([&] { return windowColormap(x, window) == other.colormap(); }));

    ASSERT_TRUE(pointerInto(x, window));
    ASSERT_TRUE(chooseMenu(window, {"alt+f", "s"}));
    const Window chooser = waitForChooser(x, "Save As");
    ASSERT_NE(chooser, 0u);
    ASSERT_TRUE(waitFor([&] { return windowGeometry(x, chooser).width > 0; }));
    ASSERT_TRUE(pointerInto(x, chooser));
    ASSERT_TRUE(typeFileName(chooser, dir + "/wm.bmp"));
    const auto question = waitForMessage(x, "Save As");
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text, dir + "/wm.bmp does not exist.\nDo you want to create it?");
    ASSERT_TRUE(pointerInto(x, question->window));
    ASSERT_TRUE(pressKeys(question->window, "Return"));
    ASSERT_TRUE(waitFor([&] {
        std::error_code error;
        return fs::file_size(dir + "/wm.bmp", error) == 9270 && !error;
    }));
    EXPECT_EQ(readBmpColorTable(dir + "/wm.bmp"), colours);

    ASSERT_TRUE(pointerInto(x, window));
    ASSERT_TRUE(chooseMenu(window, {"alt+e", "c"}));
    std::optional<SelectionReply> reply;
    ASSERT_TRUE(
        waitFor([&] { return (reply = requestClipboard(x, "COLORMAP", None)).has_value(); }));
    ASSERT_EQ(reply->items.size(), 1u);
    const auto copied = colormapColors(x, static_cast<Colormap>(reply->items[0]));
    EXPECT_EQ(std::vector<Rgb>(copied.begin(), copied.begin() + 256), colours);
    EXPECT_EQ(installedColormap(x), other.colormap());
    fs::current_path("/");
}

}  // namespace
}  // namespace vexa::testing
