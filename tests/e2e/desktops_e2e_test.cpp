// The commands that touch the palette or the screen, each run in every desktop users have:
// a bare server, twm and openbox. Loaded and cleared palettes last while Vexa has colormap
// focus; Save As, Copy and opening windows never change what another program installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "desktop.h"
#include "ui_driver.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

// An 8-bit BMP whose 256-entry colour table holds a different colour at every index.
std::vector<Rgb> writeBitmap(const std::string& path) {
    std::vector<Rgb> table;
    for (int i = 0; i < 256; ++i)
        table.push_back({static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(255 - i),
                         static_cast<std::uint8_t>(i ^ 0x5A)});
    writeBmp(path, table);
    return table;
}

class DesktopsE2E : public VexaInDesktop {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(VexaInDesktop::SetUp());
        ASSERT_NO_FATAL_FAILURE(startVexa());
        ASSERT_TRUE(turnTo(x, GetParam(), window));
    }

    // The installed colours at 10..245 are `want`'s, and the others `statics`'; checked
    // again after the pointer has rested on the desktop and come back into Vexa.
    void expectLoadedAndLasting(const std::vector<Rgb>& want, const std::vector<Rgb>& statics) {
        auto loaded = [&] {
            const std::vector<Rgb> now = installedColors(x);
            for (int i = 0; i < 256; ++i)
                if (now[i] != ((i >= 10 && i <= 245) ? want[i] : statics[i])) return false;
            return true;
        };
        EXPECT_TRUE(waitFor(loaded));
        ASSERT_TRUE(turnToDesktop(x, GetParam()));
        if (GetParam() == Desktop::twm) {  // twm installs the desktop's colormap there
            EXPECT_TRUE(
                waitFor([&] { return installedColormap(x) == DefaultColormap(x.get(), 0); }));
        }
        ASSERT_TRUE(turnTo(x, GetParam(), window));
        EXPECT_TRUE(waitFor(loaded)) << "the palette did not come back with the pointer";
    }
};

TEST_P(DesktopsE2E, OpenLoadsTheBitmapAndItLastsWhileVexaHasTheColormapFocus) {
    const std::vector<Rgb> statics = installedColors(x);
    const std::vector<Rgb> table = writeBitmap(folder + "/table.bmp");
    open(folder + "/table.bmp");
    expectLoadedAndLasting(table, statics);
}

TEST_P(DesktopsE2E, ClearBlackensEntries10To245AndItLasts) {
    const std::vector<Rgb> statics = installedColors(x);
    ASSERT_TRUE(chooseMenu(window, {"alt+e", "r"}));
    expectLoadedAndLasting(std::vector<Rgb>(256, Rgb{0, 0, 0}), statics);
}

TEST_P(DesktopsE2E, WindowsOpenedAfterOpenShowTheLoadedPalette) {
    const std::vector<Rgb> table = writeBitmap(folder + "/table.bmp");
    open(folder + "/table.bmp");
    ASSERT_TRUE(waitFor([&] { return installedColors(x)[100] == table[100]; }));
    const Colormap loaded = installedColormap(x);
    ASSERT_TRUE(chooseMenu(window, {"alt+h", "a"}));
    const Window about = findWindowByName(x, "About Vexa");
    ASSERT_NE(about, 0u);
    EXPECT_EQ(windowColormap(x, about), loaded);
    ASSERT_TRUE(turnTo(x, GetParam(), about));
    ASSERT_TRUE(pressKeys(about, "Return"));
    ASSERT_TRUE(waitUntilGone(x, "About Vexa"));
    EXPECT_EQ(installedColormap(x), loaded);
}

TEST_P(DesktopsE2E, TheReadoutShowsThePixelUnderThePointer) {
    ColormapHolder holder({"--color", "12=FF0000", "--color", "252=0A14FA", "--fill", "252",
                           "--geometry", "64x64+10+10"});
    if (GetParam() != Desktop::bare) {
        ASSERT_TRUE(turnTo(x, GetParam(), holder.window()));
    }
    ASSERT_TRUE(waitFor([&] { return installedColormap(x) == holder.colormap(); }));
    ASSERT_TRUE(waitFor([&] { return windowColormap(x, window) == holder.colormap(); }));
    ASSERT_TRUE(turnTo(x, GetParam(), window));
    // Tile 12: where the grid's first row holds pixel value 12.
    const Geometry g = windowGeometry(x, window);
    const std::vector<unsigned long> row = windowPixels(x, window, 0, kMenuHeight + 5, g.width, 1);
    const auto tile = std::find(row.begin(), row.end(), 12ul);
    ASSERT_NE(tile, row.end());
    ASSERT_TRUE(xdotool({"mousemove", "--sync", std::to_string(g.x + (tile - row.begin())),
                         std::to_string(g.y + kMenuHeight + 5)}));
    ASSERT_TRUE(xdotool({"mousedown", "1"}));
    EXPECT_EQ(waitForTitle(x, window, "Vexa - [012] = 0x0000FF = RGB(255, 0, 0)"),
              "Vexa - [012] = 0x0000FF = RGB(255, 0, 0)");
    ASSERT_TRUE(xdotool({"mousemove", "--sync", "40", "40"}));  // the holder's window
    EXPECT_EQ(waitForTitle(x, window, "Vexa - [252] = 0xFA140A = RGB(10, 20, 250)"),
              "Vexa - [252] = 0xFA140A = RGB(10, 20, 250)");
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    EXPECT_EQ(waitForTitle(x, window, "Vexa"), "Vexa");
    EXPECT_EQ(installedColormap(x), holder.colormap());
}

TEST_P(DesktopsE2E, TheFirstStartIsCentredAndTheNextStartRestoresTheFrame) {
    const Geometry frame = frameOf(x, window);
    const Screen* screen = DefaultScreenOfDisplay(x.get());
    EXPECT_LE(std::abs(frame.x + frame.width / 2 - WidthOfScreen(screen) / 2), 1)
        << toString(frame);
    EXPECT_LE(std::abs(frame.y + frame.height / 2 - HeightOfScreen(screen) / 2), 1)
        << toString(frame);
    ASSERT_TRUE(pressKeys(window, "Return"));
    ASSERT_EQ(vexa->waitForExit(), 0);
    EXPECT_EQ(static_cast<int>(home.dword("Window", "Bounds.left").value_or(0)), frame.x);
    EXPECT_EQ(static_cast<int>(home.dword("Window", "Bounds.top").value_or(0)), frame.y);
    EXPECT_EQ(static_cast<int>(home.dword("Window", "Bounds.right").value_or(0)),
              frame.x + frame.width);
    EXPECT_EQ(static_cast<int>(home.dword("Window", "Bounds.bottom").value_or(0)),
              frame.y + frame.height);

    VexaProcess again(home);
    const Window second = again.waitForWindow(x);
    ASSERT_NE(second, 0u);
    ASSERT_TRUE(waitForSteadyGeometry(x, second));
    EXPECT_EQ(frameOf(x, second), frame);
}

INSTANTIATE_TEST_SUITE_P(Desktops, DesktopsE2E,
                         ::testing::Values(Desktop::bare, Desktop::twm, Desktop::openbox),
                         [](const auto& param) { return desktopName(param.param); });

// Save As, Copy, About, Help and a message box beside another program whose colormap the
// desktop installed: every capture holds that program's colours, and no window of Vexa
// changes the installed colormap.
class PeerE2E : public ::testing::TestWithParam<std::tuple<Desktop, Peer>> {};

TEST_P(PeerE2E, CapturesAndWindowsKeepTheOtherProgramsPalette) {
    const auto [desktop, peer] = GetParam();
    XConnection x;
    ConfigHome home;
    home.seedVersion();
    const std::string folder = home.path() + "/files";
    fs::create_directories(folder);
    WindowManager manager(x, desktop);
    VexaProcess vexa(home);
    const Window window = vexa.waitForWindow(x);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(waitForSteadyGeometry(x, window));

    PeerProgram other(x, peer, makeRosePicture(folder, 200));
    ASSERT_TRUE(turnTo(x, desktop, other.window()));
    ASSERT_TRUE(waitFor([&] { return installedColormap(x) == other.colormap(); }));
    const std::vector<Rgb> colours = colormapColors(x, other.colormap());
    ASSERT_TRUE(waitFor([&] { return windowColormap(x, window) == other.colormap(); }));
    ASSERT_TRUE(turnTo(x, desktop, window));

    ASSERT_TRUE(chooseMenu(window, {"alt+f", "s"}));
    const Window chooser = waitForChooser(x, "Save As");
    ASSERT_NE(chooser, 0u);
    EXPECT_EQ(windowColormap(x, chooser), other.colormap());
    ASSERT_TRUE(turnTo(x, desktop, chooser));
    ASSERT_TRUE(typeFileName(chooser, folder + "/saved.bmp"));
    const auto question = waitForMessage(x, "Save As");
    ASSERT_TRUE(question);
    EXPECT_EQ(windowColormap(x, question->window), other.colormap());
    ASSERT_TRUE(turnTo(x, desktop, question->window));
    ASSERT_TRUE(pressKeys(question->window, "Return"));
    ASSERT_TRUE(waitFor([&] {
        std::error_code error;
        return fs::file_size(folder + "/saved.bmp", error) == 9270 && !error;
    }));
    EXPECT_EQ(readBmpColorTable(folder + "/saved.bmp"), colours);

    ASSERT_TRUE(turnTo(x, desktop, window));
    ASSERT_TRUE(chooseMenu(window, {"alt+e", "c"}));
    std::optional<SelectionReply> reply;
    ASSERT_TRUE(waitFor([&] { return (reply = requestClipboard(x, "COLORMAP")).has_value(); }));
    ASSERT_EQ(reply->items.size(), 1u);
    const auto copied = colormapColors(x, static_cast<Colormap>(reply->items[0]));
    EXPECT_EQ(std::vector<Rgb>(copied.begin(), copied.begin() + 256), colours);

    // About, Help and a message box (a file that is no bitmap) take the installed colormap.
    std::ofstream(folder + "/bad.bmp") << "not a bitmap";
    const std::vector<std::pair<std::vector<std::string>, std::string>> opens{
        {{"alt+h", "a"}, "About Vexa"}, {{"alt+h", "c"}, "Vexa Help"}};
    for (const auto& [keys, caption] : opens) {
        ASSERT_TRUE(turnTo(x, desktop, window));
        ASSERT_TRUE(chooseMenu(window, keys));
        const Window opened = findWindowByName(x, caption);
        ASSERT_NE(opened, 0u) << caption;
        EXPECT_EQ(windowColormap(x, opened), other.colormap()) << caption;
        ASSERT_TRUE(turnTo(x, desktop, opened));
        ASSERT_TRUE(pressKeys(opened, "Escape"));
        ASSERT_TRUE(waitUntilGone(x, caption));
    }
    ASSERT_TRUE(turnTo(x, desktop, window));
    ASSERT_TRUE(chooseMenu(window, {"alt+f", "o"}));
    const Window openChooser = waitForChooser(x, "Open");
    ASSERT_NE(openChooser, 0u);
    ASSERT_TRUE(typeFileName(openChooser, folder + "/bad.bmp"));
    const auto message = waitForMessage(x, "Vexa");
    ASSERT_TRUE(message);
    EXPECT_EQ(windowColormap(x, message->window), other.colormap());
    ASSERT_TRUE(turnTo(x, desktop, message->window));
    ASSERT_TRUE(pressKeys(message->window, "Return"));
    ASSERT_TRUE(turnTo(x, desktop, window));
    EXPECT_EQ(installedColormap(x), other.colormap());
    EXPECT_EQ(installedColors(x), colours);
}

INSTANTIATE_TEST_SUITE_P(Peers, PeerE2E,
                         ::testing::Values(std::tuple{Desktop::bare, Peer::holder},
                                           std::tuple{Desktop::twm, Peer::xli},
                                           std::tuple{Desktop::twm, Peer::display},
                                           std::tuple{Desktop::openbox, Peer::xli},
                                           std::tuple{Desktop::openbox, Peer::display}),
                         [](const auto& param) {
                             return desktopName(std::get<0>(param.param)) + "_" +
                                    peerName(std::get<1>(param.param));
                         });

}  // namespace
}  // namespace vexa::testing

namespace vexa::testing {
namespace {

// WCAG's relative luminance and contrast ratio: 1 for equal colours, 21 for black on white;
// 4.5 is the least that body text needs to be read comfortably.
double luminance(const Rgb& c) {
    auto channel = [](std::uint8_t v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red) + 0.7152 * channel(c.green) + 0.0722 * channel(c.blue);
}

double contrast(const Rgb& a, const Rgb& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How readable the text in an area is: the area's most frequent colour is the background,
// and the text is the colour, among those covering at least 2% of the area, that contrasts
// most with it. Returns that contrast ratio.
double textContrast(const std::vector<Rgb>& area) {
    std::map<std::uint32_t, int> counts;
    auto key = [](const Rgb& c) { return std::uint32_t(c.red) << 16 | c.green << 8 | c.blue; };
    for (const Rgb& c : area) ++counts[key(c)];
    auto colour = [](std::uint32_t k) {
        return Rgb{std::uint8_t(k >> 16), std::uint8_t(k >> 8), std::uint8_t(k)};
    };
    const auto background =
        std::max_element(counts.begin(), counts.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    double best = 1;
    for (const auto& [k, n] : counts)
        if (n * 50 >= static_cast<int>(area.size()))
            best = std::max(best, contrast(colour(background->first), colour(k)));
    return best;
}

// The share of an area that its most frequent colour covers, when that colour is light (a
// background), else 0. Text drawn through Render's colour cube on a palette screen stands in
// dark boxes that fill most of a label's rows; clean text leaves the background around it.
double lightBackgroundShare(const std::vector<Rgb>& area) {
    std::map<std::uint32_t, int> counts;
    for (const Rgb& c : area) ++counts[std::uint32_t(c.red) << 16 | c.green << 8 | c.blue];
    const auto most =
        std::max_element(counts.begin(), counts.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    const Rgb colour{std::uint8_t(most->first >> 16), std::uint8_t(most->first >> 8),
                     std::uint8_t(most->first)};
    return luminance(colour) > 0.3 ? double(most->second) / area.size() : 0;
}

// A program whose colormap has red at 0, black only at 200 and white only at 201, and
// mid-tones everywhere else: the pixels that FLTK allocated in the default colormap for
// its black, white and greys show colours here that no text can be read in.
std::vector<std::string> hostileColormap() {
    std::vector<std::string> arguments{"--geometry", "64x64+10+10", "--fill", "100"};
    for (int i = 0; i < 256; ++i) {
        char colour[32];
        const int r = i == 0 ? 255 : 96 + (i * 53) % 96, g = i == 0 ? 0 : 72 + (i * 31) % 96,
                  b = i == 0 ? 0 : 88 + (i * 17) % 96;
        std::snprintf(colour, sizeof colour, "%d=%02X%02X%02X", i, r, g, b);
        arguments.insert(arguments.end(), {"--color", colour});
    }
    arguments.insert(arguments.end(), {"--color", "200=000000", "--color", "201=FFFFFF"});
    return arguments;
}

TEST(ReadabilityE2E, MenusDialogsAndFramesStayReadableUnderAnotherProgramsColormap) {
    XConnection x;
    ConfigHome home;
    home.seedVersion();
    WindowManager manager(x, Desktop::twm);
    VexaProcess vexa(home);
    const Window window = vexa.waitForWindow(x);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(waitForSteadyGeometry(x, window));
    const Geometry g = windowGeometry(x, window);
    // Text is drawn through the core protocol: the labels' rows of the menu bar are letters
    // on its background, not dark blocks, although the server has Render.
    const std::vector<Rgb> labels = screenColors(x, g.x, g.y + 5, 150, kMenuHeight - 10);
    EXPECT_GT(lightBackgroundShare(labels), 0.6);
    EXPECT_GT(textContrast(labels), 4.5);

    ColormapHolder other(hostileColormap());
    ASSERT_TRUE(turnTo(x, Desktop::twm, other.window()));
    ASSERT_TRUE(waitFor([&] { return installedColormap(x) == other.colormap(); }));
    ASSERT_TRUE(turnTo(x, Desktop::twm, window));
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "b"}));  // frames around the tiles
    const auto menuBar = [&] { return screenColors(x, g.x, g.y, 120, kMenuHeight); };
    EXPECT_TRUE(waitFor([&] { return textContrast(menuBar()) > 4.5; }))
        << "menu bar contrast " << textContrast(menuBar());

    // The grid's frames: black, the darkest colour of the installed colormap.
    const std::vector<Rgb> frame = screenColors(x, g.x, g.y + kMenuHeight, g.width, 1);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), Rgb{0, 0, 0}), g.width);

    ASSERT_TRUE(chooseMenu(window, {"alt+f"}));
    const auto fileMenu = [&] { return screenColors(x, g.x + 2, g.y + kMenuHeight + 2, 70, 60); };
    EXPECT_TRUE(waitFor([&] { return textContrast(fileMenu()) > 4.5; }))
        << "menu contrast " << textContrast(fileMenu());
    ASSERT_TRUE(pressKeys(window, "Escape"));

    ASSERT_TRUE(chooseMenu(window, {"alt+h", "a"}));
    const Window about = findWindowByName(x, "About Vexa");
    ASSERT_NE(about, 0u);
    ASSERT_TRUE(waitForSteadyGeometry(x, about));
    ASSERT_TRUE(turnTo(x, Desktop::twm, about));
    const Geometry a = windowGeometry(x, about);
    const auto dialog = [&] { return screenColors(x, a.x, a.y, a.width, a.height); };
    EXPECT_TRUE(waitFor([&] { return textContrast(dialog()) > 4.5; }))
        << "dialog contrast " << textContrast(dialog());
    takeScreenshot(temporaryPath("vexa-readable", ".png"));
    EXPECT_EQ(installedColormap(x), other.colormap());
}

// The desktop's colormap installed for a moment (a window manager does so while the pointer
// crosses the desktop or one of Vexa's menus): a window opened then takes the colormap
// Vexa's windows carry, the other program's, so that the pointer entering it never puts the
// desktop's colours on the screen.
TEST(ReadabilityE2E, AWindowOpenedWhileTheDesktopsColormapIsInstalledTakesTheWindowsOwn) {
    XConnection x;
    ConfigHome home;
    home.seedVersion();
    ColormapHolder other(hostileColormap());
    ASSERT_TRUE(waitFor([&] { return installedColormap(x) == other.colormap(); }));
    VexaProcess vexa(home);
    const Window window = vexa.waitForWindow(x);
    ASSERT_NE(window, 0u);
    const auto colormapOf = [&](Window w) {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(x, w, &attributes) ? attributes.colormap : None;
    };
    ASSERT_TRUE(waitFor([&] { return colormapOf(window) == other.colormap(); }));
    const Colormap desktops = DefaultColormap(x.get(), DefaultScreen(x.get()));
    XInstallColormap(x, desktops);
    XSync(x, False);
    ASSERT_TRUE(chooseMenu(window, {"alt+h", "a"}));
    Window about = 0;
    ASSERT_TRUE(waitFor([&] { return (about = findWindowByName(x, "About Vexa")) != 0; }));
    EXPECT_EQ(colormapOf(about), other.colormap());
    EXPECT_EQ(colormapOf(window), other.colormap());
}

}  // namespace
}  // namespace vexa::testing

namespace vexa::testing {
namespace {

// Under an EWMH window manager the stored bounds are the frame's, decorations included, and
// the stored on-top flag keeps the window above the others.
TEST(OpenboxE2E, StoredBoundsPlaceTheFrameAndOnTopKeepsItAbove) {
    XConnection x;
    ConfigHome home;
    home.seedVersion(65542, {{"Window\\On top", 1},
                             {"Window\\Bounds.left", 100},
                             {"Window\\Bounds.top", 120},
                             {"Window\\Bounds.right", 500},
                             {"Window\\Bounds.bottom", 420}});
    WindowManager manager(x, Desktop::openbox);
    VexaProcess vexa(home);
    const Window window = vexa.waitForWindow(x);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(waitForSteadyGeometry(x, window));
    const long above = static_cast<long>(XInternAtom(x, "_NET_WM_STATE_ABOVE", False));
    EXPECT_TRUE(waitFor([&] {
        const auto state = readLongProperty(x, window, "_NET_WM_STATE");
        return std::find(state.begin(), state.end(), above) != state.end();
    }));
    EXPECT_TRUE(waitFor([&] {
        return frameOf(x, window) == Geometry{100, 120, 400, 300};
    })) << toString(frameOf(x, window));
    ASSERT_TRUE(pressKeys(window, "Return"));
    ASSERT_EQ(vexa.waitForExit(), 0);
    EXPECT_EQ(home.dword("Window", "Bounds.left"), 100u);
    EXPECT_EQ(home.dword("Window", "Bounds.bottom"), 420u);
    EXPECT_EQ(home.dword("Window", "On top"), 1u);
}

}  // namespace
}  // namespace vexa::testing
