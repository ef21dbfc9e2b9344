// The commands for scripts on a private 8-bit Xvfb, with another program's colormap
// installed: --save in every format, --print, --watch seeing other clients install a
// colormap, store colours into the installed one, allocate colours and end, naming each, and
// their failures.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ui_driver.h"
#include "vexa_session.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

// Stores `colour` into entry `pixel` of `colormap`, as any client may for a colormap whose
// entries are all writable.
void storeColour(::Display* x, Colormap colormap, int pixel, Rgb colour) {
    XColor cell{};
    cell.pixel = static_cast<unsigned long>(pixel);
    cell.red = colour.red * 257, cell.green = colour.green * 257, cell.blue = colour.blue * 257;
    cell.flags = DoRed | DoGreen | DoBlue;
    XStoreColor(x, colormap, &cell);
    XSync(x, False);
}

std::string hexLines(const std::vector<Rgb>& colours) {
    std::string text;
    char line[8];
    for (const Rgb& c : colours) {
        std::snprintf(line, sizeof line, "%02x%02x%02x\n", c.red, c.green, c.blue);
        text += line;
    }
    return text;
}

class ScriptCommandsE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = home_.path() + "/files";
        fs::create_directories(dir_);
        display_ = DisplayString(x_.get());
    }
    Outcome vexa(const std::string& arguments) { return runVexa(home_, display_, arguments); }

    XConnection x_;
    ConfigHome home_;
    std::string dir_, display_;
};

TEST_F(ScriptCommandsE2E, SaveAndPrintWriteTheInstalledPalette) {
    ColormapHolder other({"--color", "0-99=FF8000", "--color", "100-199=0080FF", "--color",
                          "200-255=40C040", "--color", "7=123456"});
    ASSERT_TRUE(waitFor([&] { return installedColormap(x_) == other.colormap(); }));
    const std::vector<Rgb> shown = installedColors(x_);

    for (const char* name :
         {"p.hex", "p.HEX", "p.bmp", "p.txt", "p.gpl", "p.pal", "p.act", "p.png", "p.Gif"}) {
        const Outcome saved = vexa("--save '" + dir_ + "/" + name + "'");
        EXPECT_EQ((std::pair{saved.status, saved.err}), (std::pair{0, std::string()})) << name;
        EXPECT_EQ(saved.out, "") << name;
    }
    EXPECT_EQ(fileText(dir_ + "/p.hex"), hexLines(shown));
    EXPECT_EQ(fileText(dir_ + "/p.HEX"), hexLines(shown));
    EXPECT_EQ(readBmpColorTable(dir_ + "/p.bmp"), shown);
    EXPECT_NE(fileText(dir_ + "/p.txt").find("\r\n  7:  18,  52,  86\r\n"), std::string::npos);
    EXPECT_NE(fileText(dir_ + "/p.gpl").find("\n 18  52  86\tIndex 7\n"), std::string::npos);
    EXPECT_NE(fileText(dir_ + "/p.pal").find("\r\n18 52 86\r\n"), std::string::npos);
    EXPECT_EQ(fileText(dir_ + "/p.act").substr(21, 3), "\x12\x34\x56");
    // Entry 7 in the PLTE that follows the signature and IHDR, and in the GIF's global table.
    EXPECT_EQ(fileText(dir_ + "/p.png").substr(8 + 25 + 8 + 21, 3), "\x12\x34\x56");
    EXPECT_EQ(fileText(dir_ + "/p.Gif").substr(13 + 21, 3), "\x12\x34\x56");

    const Outcome hex = vexa("--print --format hex");
    EXPECT_EQ((std::tuple{hex.status, hex.out, hex.err}), (std::tuple{0, hexLines(shown), ""}));
    const Outcome pal = vexa("--format pal --print");
    EXPECT_EQ((std::pair{pal.status, pal.out}), (std::pair{0, fileText(dir_ + "/p.pal")}));
    // The saved GIMP palette is named after its file, the printed one "System palette".
    const Outcome gpl = vexa("--print --format gpl");
    std::string gimp = fileText(dir_ + "/p.gpl");
    gimp.replace(gimp.find("Name: p\n"), 8, "Name: System palette\n");
    EXPECT_EQ((std::pair{gpl.status, gpl.out}), (std::pair{0, gimp}));
    const Outcome text = vexa("-display '" + display_ + "' --print");
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out.rfind("Vexa - Win32 Color Palette Tool\r\n", 0), 0u);
    EXPECT_NE(text.out.find("Number of entries: 256\r\n"), std::string::npos);
    EXPECT_NE(text.out.find("\r\n255:  64, 192,  64\r\n"), std::string::npos);
    EXPECT_EQ(installedColormap(x_), other.colormap()) << "reading changed the colormap";
}

TEST_F(ScriptCommandsE2E, FailuresPrintTheWindowsMessageAndEndWithStatusOne) {
    const Outcome missing = vexa("--save '" + dir_ + "/gone/p.gpl'");
    EXPECT_EQ((std::tuple{missing.status, missing.out, missing.err}),
              (std::tuple{1, "", "vexa: " + dir_ + "/gone/p.gpl was not found.\n"}));
    EXPECT_FALSE(fs::exists(dir_ + "/gone"));
    // Run in a folder that was removed since: a relative name there is a missing file.
    const std::string gone = dir_ + "/gone";
    fs::create_directories(gone);
    fs::current_path(gone);
    fs::remove(gone);
    const Outcome removed = vexa("--save x");
    fs::current_path("/");
    EXPECT_EQ((std::tuple{removed.status, removed.err}),
              (std::tuple{1, std::string("vexa: x.bmp was not found.\n")}));
    const Outcome usage = vexa("--print --format act");
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("unknown format 'act'"), std::string::npos) << usage.err;
    const Outcome noServer = runVexa(home_, ":4711", "--print");
    EXPECT_EQ(noServer.status, 1);
    EXPECT_EQ(noServer.out, "");
    EXPECT_TRUE(home_.storeText().empty()) << "the settings are not touched";
}

// The line `watcher` prints after `change`, or nothing. bench/watch.sh times it.
std::optional<std::string> lineAfter(ChildProcess& watcher, const std::function<void()>& change) {
    change();
    return watcher.readLine();
}

TEST_F(ScriptCommandsE2E, WatchPrintsALineForEveryChangeOfTheInstalledColours) {
    ColormapHolder first({"--color", "0-255=102030", "--geometry", "32x32+0+0"});
    ColormapHolder second({"--color", "0-255=102030", "--color", "40-41=FFFFFF", "--no-install",
                           "--geometry", "32x32+40+0"});
    ASSERT_TRUE(waitFor([&] { return installedColormap(x_) == first.colormap(); }));
    ChildProcess watcher(
        {"env", "DISPLAY=" + display_, "XDG_CONFIG_HOME=" + home_.path(), VEXA_BINARY, "--watch"});
    // Every line ends with the program whose request made the change.
    const std::string byTest = " by " + programName(::getpid());
    const std::string bySecond = " by " + programName(second.process().pid());

    // Until a line comes the watcher may not have read the palette yet: store one colour
    // again and again until it reports one, then wait for the line of the last.
    int last = 0;
    std::optional<std::string> line;
    for (; last < 200 && !line; ++last) {
        storeColour(x_, first.colormap(), 200, Rgb{std::uint8_t(last), 0, 0});
        line = watcher.readLine(100ms);
    }
    ASSERT_TRUE(line) << "--watch reported no change";
    const std::string settled = " 200: " + std::to_string(last - 1) + ", 0, 0" + byTest;
    while (line && line->substr(12) != settled) line = watcher.readLine();
    ASSERT_TRUE(line) << "no line reported" << settled;

    auto stored = lineAfter(watcher, [&] { storeColour(x_, first.colormap(), 77, {1, 2, 3}); });
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->substr(12), " 77: 1, 2, 3" + byTest) << *stored;
    EXPECT_EQ(stored->substr(2, 1) + stored->substr(5, 1) + stored->substr(8, 1), "::.");

    auto installed =
        lineAfter(watcher, [&] { ASSERT_TRUE(second.process().writeInput("install\n")); });
    ASSERT_TRUE(installed);
    EXPECT_EQ(installed->substr(12),
              " 40: 255, 255, 255; 41: 255, 255, 255; 77: 16, 32, 48; 200: 16, 32, 48" + bySecond);
    for (int i = 0; i < 3; ++i) {
        auto again = lineAfter(watcher, [&] {
            storeColour(x_, second.colormap(), 5, {std::uint8_t(i), 9, 9});
        });
        ASSERT_TRUE(again);
        EXPECT_EQ(again->substr(12), " 5: " + std::to_string(i) + ", 9, 9" + byTest);
    }
    // Stored with no round trip after it, and nothing else happens on the screen: the
    // server passes the request on only when it next writes to a client, which the watcher
    // brings about when it has heard nothing for a while.
    auto flushed = lineAfter(watcher, [&] {
        XColor cell{};
        cell.pixel = 6;
        cell.red = cell.green = cell.blue = 0x4242;
        cell.flags = DoRed | DoGreen | DoBlue;
        XStoreColor(x_.get(), second.colormap(), &cell);
        XFlush(x_.get());
    });
    ASSERT_TRUE(flushed);
    EXPECT_EQ(flushed->substr(12), " 6: 66, 66, 66" + byTest);
    EXPECT_EQ(watcher.readLine(300ms), std::nullopt) << "a line without a change";

    // The end of the installed colormap's owner: the server installs the default colormap.
    auto ended = lineAfter(watcher, [&] { second.exit(); });
    ASSERT_TRUE(ended);
    EXPECT_TRUE(ended->ends_with(bySecond)) << *ended;
    EXPECT_EQ(installedColormap(x_), DefaultColormap(x_.get(), DefaultScreen(x_.get())));

    // Who took the colours of the default colormap: xli showing an image allocates them.
    const std::string image = dir_ + "/four.ppm";
    std::ofstream(image) << "P3 2 2 255\n201 13 77  13 201 77  77 13 201  250 250 10\n";
    ChildProcess xli({"xli", "-display", display_, "-geometry", "+300+300", image});
    line = watcher.readLine();
    ASSERT_TRUE(line) << "no line for xli's colours";
    // Named once xli runs: until its exec the process bears the test's name.
    const std::string byXli = " by " + programName(xli.pid());
    EXPECT_TRUE(line->ends_with(byXli)) << *line << " not" << byXli;

    ::kill(watcher.pid(), SIGINT);
    EXPECT_TRUE(watcher.wait().has_value()) << "--watch ignores an interrupt";
}

}  // namespace
}  // namespace vexa::testing
