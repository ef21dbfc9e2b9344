// The Save As and Open dialogs driven with real keys on a private 8-bit server, through
// vexa-test-dialogs, which prints the name each run hands back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "ui_driver.h"
#include "x11_test_support.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vexa-dialogs-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        // The dialogs open in the working directory at first.
        fs::current_path(dir_);
    }
    void TearDown() override {
        driver_.reset();
        fs::current_path("/");
        fs::remove_all(dir_);
    }

    void start(const char* mode, int times = 1) {
        driver_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{VEXA_TEST_DIALOGS, mode, std::to_string(times)});
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    Window chooser(const std::string& caption) {
        const Window window = waitForChooser(x_, caption);
        EXPECT_NE(window, 0u) << "no " << caption << " chooser";
        return window;
    }
    // The question or notice that must be showing now; answered with `keys`.
    std::string answer(const std::string& caption, const std::string& keys) {
        const auto message = waitForMessage(x_, caption);
        if (!message) {
            ADD_FAILURE() << "no " << caption << " question";
            return {};
        }
        EXPECT_TRUE(pressKeys(message->window, keys));
        return message->text;
    }
    std::string result() { return driver_->readLine().value_or("(no answer)"); }
    // What the driver printed of the filters and the files they list, up to its "END".
    std::vector<std::string> filtersSeen() {
        std::vector<std::string> seen;
        for (std::optional<std::string> line; (line = driver_->readLine()) && *line != "END";)
            seen.push_back(*line);
        return seen;
    }
    // The chooser's name field as the user sees it: selected and copied to the clipboard.
    std::string nameField(Window chooser) {
        if (!pressKeys(chooser, "ctrl+a ctrl+c")) return "(keys failed)";
        std::optional<SelectionReply> reply;
        waitFor([&] {
            reply = requestClipboard(x_, "UTF8_STRING");
            return reply.has_value();
        });
        if (!reply) return "(nothing copied)";
        return std::string(reply->bytes.begin(), reply->bytes.end());
    }

    XConnection x_;
    fs::path dir_;
    std::unique_ptr<ChildProcess> driver_;
};

TEST_F(DialogTest, NameFieldsHoldTheNameAloneWhileTheChooserShowsTheFolder) {
    fs::create_directories(path("sub"));
    start("save", 2);
    EXPECT_EQ(nameField(chooser("Save As")), "SysPal");
    ASSERT_TRUE(typeFileName(chooser("Save As"), path("sub/p.bmp")));
    answer("Save As", "Return");
    EXPECT_EQ(result(), "CHOSEN " + path("sub/p.bmp"));
    // The next dialog is in that folder, and its field still holds only the name.
    EXPECT_EQ(nameField(chooser("Save As")), "SysPal");
    ASSERT_TRUE(pressKeys(chooser("Save As"), "Escape"));
    EXPECT_EQ(result(), "CANCELLED");

    start("open");
    // The field is empty: a typed letter is all it then holds.
    ASSERT_TRUE(pressKeys(chooser("Open"), "x"));
    EXPECT_EQ(nameField(chooser("Open")), "x");
    ASSERT_TRUE(pressKeys(chooser("Open"), "Escape"));
    EXPECT_EQ(result(), "CANCELLED");
}

TEST_F(DialogTest, SaveIntoAMissingFolderIsRefused) {
    start("save");
    ASSERT_TRUE(typeFileName(chooser("Save As"), path("gone/pal.bmp")));
    EXPECT_EQ(answer("Save As", "Return"),
              path("gone") + "\nThis folder does not exist.\nCheck the path and try again.");
    ASSERT_TRUE(pressKeys(chooser("Save As"), "Escape"));
    EXPECT_EQ(result(), "CANCELLED");
}

TEST_F(DialogTest, NextDialogOpensInTheFolderOfTheLastName) {
    fs::create_directories(path("sub"));
    start("save", 2);
    ASSERT_TRUE(typeFileName(chooser("Save As"), path("sub/p.bmp")));
    answer("Save As", "Return");
    EXPECT_EQ(result(), "CHOSEN " + path("sub/p.bmp"));
    ASSERT_TRUE(pressKeys(chooser("Save As"), "Return"));
    EXPECT_EQ(answer("Save As", "Return"),
              path("sub/SysPal.bmp") + " does not exist.\nDo you want to create it?");
    EXPECT_EQ(result(), "CHOSEN " + path("sub/SysPal.bmp"));
}

TEST_F(DialogTest, OpenTakesAnExistingFileWithoutAsking) {
    std::ofstream(path("pal.bmp")) << "BM";
    start("open", 2);
    ASSERT_TRUE(typeFileName(chooser("Open"), path("pal.bmp")));
    EXPECT_EQ(result(), "CHOSEN " + path("pal.bmp"));
    // A name without extension finds the bitmap.
    ASSERT_TRUE(typeFileName(chooser("Open"), "pal"));
    EXPECT_EQ(result(), "CHOSEN " + path("pal.bmp"));
}

TEST_F(DialogTest, OpenRefusesAMissingFileAndAMissingFolder) {
    start("open");
    ASSERT_TRUE(typeFileName(chooser("Open"), path("none.bmp")));
    EXPECT_EQ(answer("Open", "Return"),
              path("none.bmp") + "\nFile not found.\nCheck the file name and try again.");
    ASSERT_TRUE(typeFileName(chooser("Open"), path("gone/none.bmp")));
    EXPECT_EQ(answer("Open", "Return"),
              path("gone") + "\nThis folder does not exist.\nCheck the path and try again.");
    ASSERT_TRUE(pressKeys(chooser("Open"), "Escape"));
    EXPECT_EQ(result(), "CANCELLED");
}

// Save As offers a filter for every format it writes, the bitmap's first.
TEST_F(DialogTest, SaveAsOffersAFilterForEveryFormatItWrites) {
    for (const char* name : {"list.txt", "pal.bmp", "a.hex"}) std::ofstream(path(name)) << "x";
    start("save-filters");
    EXPECT_EQ(filtersSeen(),
              (std::vector<std::string>{
                  "FILTER* Bitmap (*.bmp)", "FILTER Text (*.txt)", "FILTER PNG image (*.png)",
                  "FILTER GIF image (*.gif)", "FILTER GIMP palette (*.gpl)",
                  "FILTER JASC palette (*.pal)", "FILTER Adobe color table (*.act)",
                  "FILTER Hex list (*.hex)", "SHOWN pal.bmp", "FILE a.hex"}));
}

// The first filter lists the images; "All files" reaches a file of another name.
TEST_F(DialogTest, OpenListsTheImagesAndOffersAllFilesAfterItsOwnFilters) {
    for (const char* name : {"list.txt", "pal.bmp", "a.png", "c.gif"})
        std::ofstream(path(name)) << "x";
    start("open-filters");
    EXPECT_EQ(
        filtersSeen(),
        (std::vector<std::string>{
            "FILTER* Images (*.bmp;*.png;*.gif)", "FILTER Palette files (*.gpl;*.pal;*.act;*.hex)",
            "FILTER All files (*)", "SHOWN a.png", "SHOWN c.gif", "SHOWN pal.bmp", "FILE a.png",
            "FILE c.gif", "FILE list.txt", "FILE pal.bmp"}));
}

}  // namespace
}  // namespace vexa::testing
