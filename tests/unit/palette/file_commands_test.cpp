#include "palette/file_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <vector>

#include "base/command_failure.h"
#include "palette/file_formats.h"
#include "palette/indexed_png.h"
#include "palette/palette_model.h"
#include "pillow.h"
#include "support/colour_tables.h"
#include "support/fake_display.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;
using testing::FakeDisplay;

std::vector<std::uint8_t> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vexa-save-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
    FakeDisplay display_;
};

bool isPaletteBitmapOf(const std::vector<std::uint8_t>& bytes, const FakeDisplay& display) {
    if (bytes.size() != 9270 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = display.hardware[i];
        const std::uint8_t* q = &bytes[54 + 4 * i];
        if (q[0] != e.blue || q[1] != e.green || q[2] != e.red || q[3] != 0) return false;
    }
    return true;
}

bool isTextDump(const std::vector<std::uint8_t>& bytes) {
    const std::string text(bytes.begin(), bytes.end());
    return text.rfind("Vexa - Win32 Color Palette Tool\r\n", 0) == 0;
}

TEST_F(SaveTest, BitmapNamesGetThePaletteBitmapOfTheDisplay) {
    PaletteModel model(display_);
    for (const char* name : {"one.bmp", "two.BMP", "three.Bmp"}) {
        savePalette(path(name), model);
        EXPECT_TRUE(isPaletteBitmapOf(fileBytes(path(name)), display_)) << name;
    }
}

TEST_F(SaveTest, OtherNamesGetTheTextDumpWithTheDisplaysColours) {
    display_.hardware[7] = PaletteEntry{192, 192, 192, 0};
    PaletteModel model(display_);
    for (const char* name : {"one.txt", "two.dat", "three"}) {
        savePalette(path(name), model);
        const auto bytes = fileBytes(path(name));
        EXPECT_TRUE(isTextDump(bytes)) << name;
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_NE(text.find("\r\n  7: 192, 192, 192\r\n"), std::string::npos) << name;
    }
}

TEST_F(SaveTest, FailuresReachTheCallerNamingThePath) {
    PaletteModel model(display_);
    const std::string missing = path("no-such-folder/pal.bmp");
    try {
        savePalette(missing, model);
        FAIL() << "saving into a missing folder succeeded";
    } catch (const CommandFailure& failure) {
        EXPECT_EQ(failure.category(), FailureCategory::FileError);
        EXPECT_EQ(failure.path(), missing);
    }
    display_.screenUnreachable = true;
    try {
        savePalette(path("pal.bmp"), model);
        FAIL() << "saving without a screen succeeded";
    } catch (const CommandFailure& failure) {
        EXPECT_EQ(failure.category(), FailureCategory::ResourceUnavailable);
    }
    EXPECT_FALSE(fs::exists(path("pal.bmp")));
}

TEST(SaveListing, TakesTheTimeAndAFailedReadKeepsThePreviousFile) {
    testing::TempDir dir;
    FakeDisplay display;
    PaletteModel model(display);
    const std::string path = dir.file("palette.txt");
    savePalette(path, model);
    const std::string written = testing::readFile(path);
    EXPECT_TRUE(std::regex_search(written, std::regex("\r\nTime: [A-Z][a-z]+day, [A-Z][a-z]+ "
                                                      "[0-3][0-9], [0-9]{4} @[12]?[0-9]:[0-5][0-9]:"
                                                      "[0-6][0-9]\r\nNumber of entries: 256\r\n")));
    EXPECT_TRUE(written.ends_with("255: 255,   0, 249\r\n"));  // the fake's entry 255

    display.screenUnreachable = true;
    EXPECT_THROW(savePalette(path, model), CommandFailure);
    EXPECT_EQ(testing::readFile(path), written);
    EXPECT_EQ(dir.entries(), std::set<std::string>{"palette.txt"});
    try {
        savePalette(dir.file("missing/p.txt"), model);
        ADD_FAILURE() << "no failure";
    } catch (const CommandFailure& e) {
        EXPECT_EQ(e.message(), dir.file("missing/p.txt") + " was not found.");
    }
    EXPECT_EQ(display.count("read"), 2);  // none for the file that could not be created
}

// Save As writes the palette picture that Pillow reads as 256 x 32 indexed pixels, pixel x
// of every row index x, with the 256 colours in index order; Open, which goes by content and
// not by name, loads each saved image back into another display's entries 10 to 245.
TEST(SaveImages, PillowReadsThePictureAndOpenLoadsItBack) {
    testing::TempDir dir;
    FakeDisplay source(11);
    const std::vector<std::string> names = {"SysPal.png", "SysPal.GIF", "SysPal.bmp"};
    for (const std::string& name : names) savePalette(dir.file(name), PaletteModel(source));
    for (const std::string& name : names) {
        const std::string renamed = dir.file("as-" + name + ".txt");
        fs::rename(dir.file(name), renamed);
        FakeDisplay target(200);
        auto expected = target.hardware;
        for (int i = 10; i <= 245; ++i) expected[i] = source.hardware[i];
        loadPalette(renamed, PaletteModel(target));
        EXPECT_EQ(target.hardware, expected) << name;
        EXPECT_EQ(target.lastRealised.entries[10].flags, PC_NOCOLLAPSE);
    }

    const auto pillow =
        testing::readWithPillow({dir.file("as-SysPal.png.txt"), dir.file("as-SysPal.GIF.txt")});
    if (!pillow) GTEST_SKIP() << "Pillow is not installed";
    std::vector<std::uint8_t> rgb, columns;
    for (const PaletteEntry& e : source.hardware) rgb.insert(rgb.end(), {e.red, e.green, e.blue});
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 256; ++x) columns.push_back(std::uint8_t(x));
    for (const testing::PillowImage& image : *pillow) {
        EXPECT_EQ((std::tuple{image.mode, image.width, image.height}), (std::tuple{"P", 256, 32}));
        EXPECT_EQ(image.palette, rgb);
        EXPECT_EQ(image.pixels, columns);
    }
}

TEST(OpenImages, RefusedFilesLeaveThePaletteAlone) {
    testing::TempDir dir;
    const std::vector<std::uint8_t> png = encodePalettePng(SystemPaletteSnapshot{});
    const std::map<std::string, std::string> files = {
        {"cut.png", std::string(png.begin(), png.end() - 20)},
        {"text.png", "not a picture"},
        {"text.gif", "not a picture"},
    };
    for (const auto& [name, bytes] : files) {
        const std::string path = dir.file(name);
        testing::writeFile(path, bytes);
        FakeDisplay display;
        const auto before = display.hardware;
        EXPECT_EQ(testing::verdictOf([&] { loadPalette(path, PaletteModel(display)); }),
                  "unsupported")
            << name;
        EXPECT_EQ(display.hardware, before) << name;
        EXPECT_EQ(display.count("realise"), 0) << name;
    }
    // Any other file is still read as a bitmap.
    testing::writeFile(dir.file("text.dat"), "not a picture");
    FakeDisplay display;
    EXPECT_EQ(testing::verdictOf([&] { loadPalette(dir.file("text.dat"), PaletteModel(display)); }),
              "An unknown error occurred while accessing an unnamed file.");
}

}  // namespace
}  // namespace vexa
