// Save As, Open, Copy and Clear end to end: the real binary on a private 8-bit Xvfb with
// another program's colormap installed, driven through its menu, its dialogs and its
// message boxes with xdotool; files, the installed colormap and the clipboard are read
// back with tools of their own.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "ui_driver.h"
#include "vexa_session.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

// The colours of the test's "other program": distinct in every entry for every seed.
Rgb otherColour(int i, int seed) {
    return {static_cast<std::uint8_t>(i ^ seed), static_cast<std::uint8_t>(255 - i),
            static_cast<std::uint8_t>(i * 37 + seed * 11)};
}

// The red, green and blue of each entry line of a text dump.
std::vector<Rgb> dumpColours(const std::string& text) {
    std::vector<Rgb> colours;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        int index, r, g, b;
        if (std::sscanf(line.c_str(), "%3d: %3d, %3d, %3d", &index, &r, &g, &b) == 4 &&
            index == static_cast<int>(colours.size()))
            colours.push_back({std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
    }
    return colours;
}

class FileEditE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        home_.seedVersion();
        std::string pattern = (fs::temp_directory_path() / "vexa-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        // The dialogs open in the working directory.
        fs::current_path(dir_);
    }
    void TearDown() override {
        unprivileged_.reset();
        vexa_.reset();
        holder_.reset();
        fs::current_path("/");
        if (!mounted_.empty()) umount2(mounted_.c_str(), MNT_DETACH);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    // Another program installs a colormap of `otherColour(i, seed)`.
    std::vector<Rgb> holdColours(int seed) {
        std::vector<Rgb> colours;
        for (int i = 0; i < 256; ++i) colours.push_back(otherColour(i, seed));
        const std::string bmp = path("holder-" + std::to_string(seed) + ".bmp");
        writeBmp(bmp, colours);
        holder_.reset();
        holder_ = std::make_unique<ColormapHolder>(
            std::vector<std::string>{"--bmp", bmp, "--geometry", "16x16+0+740"});
        fs::remove(bmp);
        EXPECT_EQ(installedColors(x_), colours);
        return colours;
    }

    void startVexa() {
        vexa_ = std::make_unique<VexaProcess>(home_);
        window_ = vexa_->waitForWindow(x_);
        ASSERT_NE(window_, 0u);
        ASSERT_TRUE(vexa_->waitForGeometry(x_, window_, {384, 336, 256, 96}));
    }

    Window chooserFor(const std::vector<std::string>& menuKeys, const std::string& caption) {
        EXPECT_TRUE(chooseMenu(window_, menuKeys));
        const Window chooser = waitForChooser(x_, caption);
        EXPECT_NE(chooser, 0u) << "no " << caption << " dialog";
        return chooser;
    }

    // The question the dialog asks now, answered with `key`.
    std::string answer(const std::string& caption, const std::string& key) {
        const auto question = waitForMessage(x_, caption);
        if (!question) return "(no question)";
        EXPECT_TRUE(pressKeys(question->window, key));
        return question->text;
    }

    // Save As with `name` typed (or the initial name when empty), creating a new file.
    void saveNew(const std::string& name) {
        const Window chooser = chooserFor({"alt+f", "s"}, "Save As");
        if (name.empty()) {
            ASSERT_TRUE(pressKeys(chooser, "Return"));
        } else {
            ASSERT_TRUE(typeFileName(chooser, name));
        }
        const std::string full = path(name.empty() ? "SysPal.bmp" : name);
        EXPECT_EQ(answer("Save As", "Return"),
                  full + " does not exist.\nDo you want to create it?");
    }

    // The message box Vexa shows now: its text, after checking its caption and closing it.
    std::string vexaMessage() {
        const auto box = waitForMessage(x_, "Vexa");
        if (!box) return "(no message box)";
        EXPECT_TRUE(pressKeys(box->window, "Return"));
        EXPECT_TRUE(waitFor([&] { return !waitForMessage(x_, "Vexa", 0ms); }));
        return box->text;
    }

    bool waitForFile(const std::string& file, std::uintmax_t size) {
        return waitFor([&] {
            std::error_code error;
            return fs::file_size(file, error) == size && !error;
        });
    }

    XConnection x_;
    ConfigHome home_;
    std::string dir_;
    std::string mounted_;
    std::unique_ptr<ColormapHolder> holder_;
    std::unique_ptr<VexaProcess> vexa_;
    std::unique_ptr<ChildProcess> unprivileged_;
    Window window_ = 0;
};

TEST_F(FileEditE2E, InitialNameBecomesSysPalBmpHoldingTheInstalledColormap) {
    const auto colours = holdColours(1);
    startVexa();
    saveNew("");
    ASSERT_TRUE(waitForFile(path("SysPal.bmp"), 9270));
    EXPECT_EQ(readBmpColorTable(path("SysPal.bmp")), colours);
}

TEST_F(FileEditE2E, TheFinalNamesExtensionChoosesBitmapOrTextDump) {
    const auto colours = holdColours(2);
    startVexa();
    for (const char* name : {"upper.BMP", "mixed.Bmp"}) {
        saveNew(name);
        ASSERT_TRUE(waitForFile(path(name), 9270)) << name;
        EXPECT_EQ(readBmpColorTable(path(name)), colours) << name;
    }
    for (const char* name : {"list.txt", "list.dat"}) {
        saveNew(name);
        ASSERT_TRUE(waitFor([&] { return dumpColours(fileText(path(name))).size() == 256; }))
            << name;
        const std::string text = fileText(path(name));
        EXPECT_EQ(text.rfind("Vexa - Win32 Color Palette Tool\r\n", 0), 0u) << name;
        EXPECT_EQ(dumpColours(text), colours) << name;
    }
}

TEST_F(FileEditE2E, TextFilterWithABmpNameStillGivesABitmap) {
    const auto colours = holdColours(3);
    startVexa();
    const Window chooser = chooserFor({"alt+f", "s"}, "Save As");
    // The filter list, then its second entry, then the file name field.
    ASSERT_TRUE(clickAt(chooser, 170, 22));
    ASSERT_TRUE(clickAt(chooser, 170, 42));
    ASSERT_TRUE(clickAt(chooser, 300, 322));
    ASSERT_TRUE(typeFileName(chooser, path("filtered.bmp")));
    EXPECT_EQ(answer("Save As", "Return"),
              path("filtered.bmp") + " does not exist.\nDo you want to create it?");
    ASSERT_TRUE(waitForFile(path("filtered.bmp"), 9270));
    EXPECT_EQ(readBmpColorTable(path("filtered.bmp")), colours);
}

TEST_F(FileEditE2E, ExistingFileIsReplacedOnlyAfterYesAndCancelWritesNothing) {
    holdColours(4);
    startVexa();
    std::ofstream(path("old.bmp")) << "keep";

    ASSERT_TRUE(typeFileName(chooserFor({"alt+f", "s"}, "Save As"), "old.bmp"));
    EXPECT_EQ(answer("Save As", "n"),
              path("old.bmp") + " already exists.\nDo you want to replace it?");
    ASSERT_TRUE(pressKeys(waitForChooser(x_, "Save As"), "Escape"));
    ASSERT_TRUE(waitUntilGone(x_, "Save As"));
    EXPECT_EQ(fileText(path("old.bmp")), "keep");

    // Cancel straight away: nothing new appears.
    ASSERT_TRUE(pressKeys(chooserFor({"alt+f", "s"}, "Save As"), "Escape"));
    ASSERT_TRUE(waitUntilGone(x_, "Save As"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

    ASSERT_TRUE(typeFileName(chooserFor({"alt+f", "s"}, "Save As"), "old.bmp"));
    answer("Save As", "y");
    EXPECT_TRUE(waitForFile(path("old.bmp"), 9270));
}

TEST_F(FileEditE2E, OpenOfASavedBitmapReproducesEntries10To245) {
    const auto saved = holdColours(5);
    startVexa();
    saveNew("pal.bmp");
    ASSERT_TRUE(waitForFile(path("pal.bmp"), 9270));

    const auto base = holdColours(6);
    ASSERT_TRUE(typeFileName(chooserFor({"alt+f", "o"}, "Open"), "pal.bmp"));
    std::vector<Rgb> expected = base;
    for (int i = 10; i <= 245; ++i) expected[i] = saved[i];
    EXPECT_TRUE(waitFor([&] { return installedColors(x_) == expected; }));
    const auto shown = installedColors(x_);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(shown[i], expected[i]) << i;
}

TEST_F(FileEditE2E, OpenShowsTheFailuresOfUnsuitableFiles) {
    const auto colours = holdColours(7);
    startVexa();
    writeBmp(path("deep.bmp"), colours, 24);
    std::ofstream(path("plain.bmp")) << "XX not a bitmap at all";

    ASSERT_TRUE(typeFileName(chooserFor({"alt+f", "o"}, "Open"), "deep.bmp"));
    EXPECT_EQ(vexaMessage(), "An unsupported operation was attempted.");
    ASSERT_TRUE(typeFileName(chooserFor({"alt+f", "o"}, "Open"), "plain.bmp"));
    EXPECT_EQ(vexaMessage(), "An unknown error occurred while accessing an unnamed file.");
    EXPECT_EQ(installedColors(x_), colours);
    // The window is still running and answers its menu.
    EXPECT_NE(chooserFor({"alt+f", "o"}, "Open"), 0u);
}

// Names past the old 2047-byte buffers: one the system can take is written under exactly
// that name; one it cannot is refused with the name as typed, and nothing is written.
TEST_F(FileEditE2E, ANameOf2100CharactersIsUsedWholeOrRefusedAsAnInvalidPath) {
    holdColours(5);
    startVexa();
    std::string folders;
    for (char level = 'a'; level < 'i'; ++level) folders += std::string(250, level) + "/";
    fs::create_directories(path(folders));
    const std::string longName = folders + std::string(2100 - folders.size() - 4, 'p') + ".bmp";
    ASSERT_EQ(longName.size(), 2100u);
    auto type = [&](const std::string& name) {
        const Window chooser = chooserFor({"alt+f", "s"}, "Save As");
        return xdotool({"windowfocus", "--sync", std::to_string(chooser)}) &&
               xdotool({"key", "--clearmodifiers", "ctrl+a"}) &&
               xdotool({"type", "--delay", "2", "--clearmodifiers", "--", name}) &&
               xdotool({"key", "Return"});
    };
    ASSERT_TRUE(type(longName));
    EXPECT_EQ(answer("Save As", "Return"),
              path(longName) + " does not exist.\nDo you want to create it?");
    EXPECT_TRUE(waitForFile(path(longName), 9270));

    const std::string tooLong(2100, 'q');
    ASSERT_TRUE(type(tooLong));
    EXPECT_EQ(answer("Save As", "Return"), tooLong + " contains an invalid path.");
    ASSERT_TRUE(pressKeys(waitForChooser(x_, "Save As"), "Escape"));
    EXPECT_EQ(fs::directory_iterator(dir_)->path().filename().string(), std::string(250, 'a'));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileEditE2E, SavingIntoAFolderWithoutWritePermissionIsDenied) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run Vexa as an unprivileged user";
    fs::create_directories(path("locked"));  // root's, 0755: nobody may not write
    fs::permissions(home_.path(), fs::perms::all);
    fs::permissions(home_.path() + "/vexa", fs::perms::all);
    fs::permissions(home_.storePath(), fs::perms::all);
    // A copy of the binary where the unprivileged user can reach it, wherever the build is.
    const std::string binary = path("vexa");
    fs::copy_file(VEXA_BINARY, binary);
    setenv("XDG_CONFIG_HOME", home_.path().c_str(), 1);
    unprivileged_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", binary});
    window_ = findWindowByName(x_, "Vexa");
    ASSERT_NE(window_, 0u);
    ASSERT_TRUE(waitFor([&] { return windowGeometry(x_, window_).width == 256; }));

    const std::string target = path("locked/pal.bmp");
    ASSERT_TRUE(typeFileName(chooserFor({"alt+f", "s"}, "Save As"), target));
    EXPECT_EQ(answer("Save As", "Return"), target + " does not exist.\nDo you want to create it?");
    EXPECT_EQ(vexaMessage(), "Access to " + target + " was denied.");
    EXPECT_TRUE(fs::is_empty(path("locked")));
}

TEST_F(FileEditE2E, FullDiskIsReportedAndThePreviousFileKept) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a small tmpfs";
    const std::string small = path("small");
    fs::create_directories(small);
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "this machine does not let root mount a tmpfs: " << std::strerror(errno);
    mounted_ = small;
    const std::string target = small + "/pal.bmp";
    std::ofstream(target) << "previous";
    {
        // Fill the rest of the disk.
        std::ofstream filler(small + "/filler", std::ios::binary);
        const std::string block(1024, 'f');
        for (int i = 0; i < 64 && filler; ++i) filler << block << std::flush;
    }
    holdColours(8);
    startVexa();
    ASSERT_TRUE(typeFileName(chooserFor({"alt+f", "s"}, "Save As"), target));
    EXPECT_EQ(answer("Save As", "y"), target + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(vexaMessage(), "Disk full while accessing " + target + ".");
    EXPECT_EQ(fileText(target), "previous");
}

// A folder taken away while Vexa runs in it (a temporary folder cleaned up, a disk
// removed): a relative name there names a missing file, and the window goes on.
TEST_F(FileEditE2E, ARelativeNameAfterTheWorkingFolderWasRemovedIsAMissingFile) {
    holdColours(3);
    const std::string gone = path("gone");
    fs::create_directories(gone);
    fs::current_path(gone);
    startVexa();
    fs::current_path(dir_);
    fs::remove(gone);

    ASSERT_TRUE(typeFileName(chooserFor({"alt+f", "s"}, "Save As"), "x.bmp"));
    ASSERT_TRUE(waitForMessage(x_, "Vexa"));
    takeScreenshot(temporaryPath("vexa-removed-folder", ".png"));
    EXPECT_EQ(vexaMessage(), "x.bmp was not found.");
    ASSERT_TRUE(typeFileName(chooserFor({"alt+f", "o"}, "Open"), "x.bmp"));
    EXPECT_EQ(vexaMessage(), "x.bmp was not found.");

    const std::string full = path("after.bmp");
    ASSERT_TRUE(typeFileName(chooserFor({"alt+f", "s"}, "Save As"), full));
    EXPECT_EQ(answer("Save As", "Return"), full + " does not exist.\nDo you want to create it?");
    EXPECT_TRUE(waitForFile(full, 9270));
    EXPECT_FALSE(vexa_->waitForExit(0ms)) << "Vexa ended";
}

TEST_F(FileEditE2E, CopyOffersTheInstalledColoursOnTheClipboard) {
    const auto colours = holdColours(9);
    startVexa();
    ASSERT_TRUE(chooseMenu(window_, {"alt+e", "c"}));
    std::optional<std::string> targets;
    ASSERT_TRUE(waitFor([&] {
        return (targets = runProgram({"xclip", "-selection", "clipboard", "-t", "TARGETS", "-o"}))
            .has_value();
    }));
    for (const char* name :
         {"TARGETS\n", "TIMESTAMP\n", "COLORMAP\n", "image/bmp\n", "text/plain\n"})
        EXPECT_NE(targets->find(name), std::string::npos) << name << "\n" << *targets;

    const auto bmp = runProgram({"xclip", "-selection", "clipboard", "-t", "image/bmp", "-o"});
    ASSERT_TRUE(bmp);
    ASSERT_EQ(bmp->size(), 9270u);
    std::ofstream(path("clip.bmp"), std::ios::binary) << *bmp;
    EXPECT_EQ(readBmpColorTable(path("clip.bmp")), colours);

    const auto reply = requestClipboard(x_, "COLORMAP");
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->items.size(), 1u);
    const auto copied = colormapColors(x_, static_cast<Colormap>(reply->items[0]));
    ASSERT_GE(copied.size(), 256u);
    EXPECT_EQ(std::vector<Rgb>(copied.begin(), copied.begin() + 256), colours);

    const auto text = runProgram({"xclip", "-selection", "clipboard", "-t", "text/plain", "-o"});
    ASSERT_TRUE(text);
    EXPECT_EQ(dumpColours(*text), colours);
    // What a terminal or an editor pastes: the same lines with LF ends.
    std::string lines;
    for (char c : *text)
        if (c != '\r') lines += c;
    EXPECT_EQ(lines.size() + 264, text->size());
    EXPECT_EQ(runProgram({"xclip", "-selection", "clipboard", "-o"}), lines);
    EXPECT_EQ(runProgram({"xsel", "-b", "-o"}), lines);
    EXPECT_EQ(installedColors(x_), colours);  // Copy changes nothing on the screen
}

TEST_F(FileEditE2E, ClearBlackensEntries10To245AndASaveWritesThem) {
    const auto colours = holdColours(10);
    startVexa();
    std::vector<Rgb> expected = colours;
    for (int i = 10; i <= 245; ++i) expected[i] = Rgb{0, 0, 0};

    ASSERT_TRUE(chooseMenu(window_, {"alt+e", "r"}));
    EXPECT_TRUE(waitFor([&] { return installedColors(x_) == expected; }));
    // Clear twice gives the same palette; each realisation installs a colormap of its own.
    const Colormap once = installedColormap(x_);
    ASSERT_TRUE(chooseMenu(window_, {"alt+e", "r"}));
    EXPECT_TRUE(waitFor([&] { return installedColormap(x_) != once; }));
    EXPECT_EQ(installedColors(x_), expected);

    saveNew("cleared.bmp");
    ASSERT_TRUE(waitForFile(path("cleared.bmp"), 9270));
    EXPECT_EQ(readBmpColorTable(path("cleared.bmp")), expected);
}

}  // namespace
}  // namespace vexa::testing
