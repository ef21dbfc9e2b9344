#include "palette_io/palette_bitmap.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "palette_io/command_failure.h"
#include "palette_window/palette_model.h"
#include "support/fake_display.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

using testing::FakeDisplay;
using testing::readBytes;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

SystemPaletteSnapshot snapshotOf(const FakeDisplay& display) {
    SystemPaletteSnapshot s{};
    s.entries = display.hardware;
    s.count = 256;
    return s;
}

// A minimal 8-bit BMP header followed by a colour table where entry i is (i, 2i, 3i).
Bytes eightBitFile(std::uint16_t bitsPerPixel = 8, std::uint32_t headerSize = 40,
                   std::uint32_t compression = 0) {
    Bytes b(kPixelDataOffset + 64, 0);
    b[0] = 'B';
    b[1] = 'M';
    for (int k = 0; k < 4; ++k) b[14 + k] = static_cast<std::uint8_t>(headerSize >> (8 * k));
    b[28] = static_cast<std::uint8_t>(bitsPerPixel);
    b[29] = static_cast<std::uint8_t>(bitsPerPixel >> 8);
    b[30] = static_cast<std::uint8_t>(compression);
    for (int i = 0; i < 256; ++i) {
        b[54 + 4 * i] = static_cast<std::uint8_t>(3 * i);  // blue
        b[55 + 4 * i] = static_cast<std::uint8_t>(2 * i);  // green
        b[56 + 4 * i] = static_cast<std::uint8_t>(i);      // red
        b[57 + 4 * i] = 0xEE;
    }
    return b;
}

CommandFailure readFailure(const Bytes& bytes) {
    try {
        readBitmapColourTable(bytes);
    } catch (const CommandFailure& e) {
        return e;
    }
    ADD_FAILURE() << "accepted";
    return CommandFailure::silent();
}

void expectUnnamedGeneralError(const CommandFailure& e) {
    EXPECT_EQ(e.category(), FailureCategory::FileError);
    EXPECT_EQ(e.fileErrorKind(), FileErrorKind::generalError);
    EXPECT_FALSE(e.path());
    EXPECT_EQ(e.message(), "An unknown error occurred while accessing an unnamed file.");
}

TEST(PaletteBitmapTest, ImageHeadersAreExactlyTheDocumentedBytes) {
    FakeDisplay display;
    const Bytes image = buildPaletteImage(snapshotOf(display));
    ASSERT_EQ(image.size(), 9270u);
    const Bytes head = {0x42, 0x4D, 0x36, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                        0x36, 0x04, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x00, 0x01,
                        0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00};
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 30), head);
    EXPECT_EQ(Bytes(image.begin() + 30, image.begin() + 54), Bytes(24, 0));
}

TEST(PaletteBitmapTest, ColourTableIsTheSnapshotAsBlueGreenRedZero) {
    SystemPaletteSnapshot s{};
    s.count = 16;  // all 256 entries are written whatever the count
    s.entries[0] = PaletteEntry{1, 2, 3, PC_NOCOLLAPSE};
    s.entries[255] = PaletteEntry{0xAA, 0xBB, 0xCC, PC_EXPLICIT};
    const Bytes image = buildPaletteImage(s);
    ASSERT_EQ(image.size(), 9270u);
    EXPECT_EQ(Bytes(image.begin() + 54, image.begin() + 58), (Bytes{3, 2, 1, 0}));
    EXPECT_EQ(Bytes(image.begin() + 54 + 4, image.begin() + 54 + 1020), Bytes(1016, 0));
    EXPECT_EQ(Bytes(image.begin() + 1074, image.begin() + 1078), (Bytes{0xCC, 0xBB, 0xAA, 0}));
}

TEST(PaletteBitmapTest, EveryPixelRowIsTheBytesZeroToFF) {
    const Bytes image = buildPaletteImage(SystemPaletteSnapshot{});
    ASSERT_EQ(image.size(), 9270u);
    for (std::size_t at = 1078; at < image.size(); ++at)
        ASSERT_EQ(image[at], (at - 1078) % 256) << at;
}

TEST(PaletteBitmapTest, ReaderFailureRows) {
    expectUnnamedGeneralError(readFailure({}));
    expectUnnamedGeneralError(readFailure({'B', 'M'}));
    Bytes file = eightBitFile();
    expectUnnamedGeneralError(readFailure(Bytes(file.begin(), file.begin() + 13)));
    for (auto type : {Bytes{'M', 'B'}, Bytes{'B', 'A'}, Bytes{'b', 'm'}, Bytes{0, 0}}) {
        Bytes other = file;
        other[0] = type[0];
        other[1] = type[1];
        expectUnnamedGeneralError(readFailure(other));
    }
    for (std::size_t size : {14u, 40u, 53u}) {
        const CommandFailure e = readFailure(Bytes(file.begin(), file.begin() + size));
        EXPECT_EQ(e.category(), FailureCategory::UnsupportedFormat) << size;
        EXPECT_EQ(e.message(), "An unsupported operation was attempted.");
    }
    for (std::uint16_t bpp : {0, 1, 4, 16, 24, 32, 0x108}) {
        EXPECT_EQ(readFailure(eightBitFile(bpp)).category(), FailureCategory::UnsupportedFormat)
            << bpp;
    }
    const CommandFailure shortTable = readFailure(Bytes(file.begin(), file.begin() + 1077));
    EXPECT_EQ(shortTable.category(), FailureCategory::UnsupportedFormat);
    EXPECT_NO_THROW(readBitmapColourTable(Bytes(file.begin(), file.begin() + 1078)));
}

TEST(PaletteBitmapTest, TableIsReadAfterTheFortyByteHeaderWhateverTheHeaderSays) {
    for (auto [headerSize, compression] :
         {std::pair{40u, 0u}, std::pair{124u, 0u}, std::pair{40u, 1u}, std::pair{12u, 2u}}) {
        const BitmapColourTable table =
            readBitmapColourTable(eightBitFile(8, headerSize, compression));
        EXPECT_EQ(table[0], (RgbQuad{0, 0, 0, 0xEE}));
        EXPECT_EQ(table[100], (RgbQuad{44, 200, 100, 0xEE}));  // bytes wrap: 300 -> 44
        EXPECT_EQ(table[255], (RgbQuad{0xFD, 0xFE, 0xFF, 0xEE}));
    }
}

TEST(PaletteBitmapTest, LoadedPaletteKeepsTheStaticEntriesOfTheSnapshot) {
    FakeDisplay display;
    SystemPaletteSnapshot s = snapshotOf(display);
    s.entries[3].flags = PC_EXPLICIT;
    s.entries[250].flags = 1;
    const BitmapColourTable table = readBitmapColourTable(eightBitFile());
    const LogicalPalette p = buildLoadedPalette(table, s);
    EXPECT_EQ(p.version, 0x300);
    EXPECT_EQ(p.count, 256);
    for (int i = 0; i < 256; ++i) {
        if (i < 10 || i > 245) {
            EXPECT_EQ(p.entries[i], s.entries[i]) << i;
        } else {
            const PaletteEntry e{std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(3 * i),
                                 PC_NOCOLLAPSE};
            EXPECT_EQ(p.entries[i], e) << i;
        }
    }
}

TEST(PaletteBitmapTest, WrittenFileLoadsBackIntoEntriesTenTo245) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("SysPal.bmp");
    FakeDisplay source;
    source.paletteSize = 16;  // the file holds 256 entries whatever the entry count
    PaletteModel sourceModel(source);
    writePaletteBitmap(path, sourceModel);
    EXPECT_EQ(readBytes(path), buildPaletteImage(snapshotOf(source)));

    FakeDisplay target;
    for (auto& e : target.hardware) e = PaletteEntry{9, 9, 9, 0};
    PaletteModel targetModel(target);
    loadPaletteBitmap(path, targetModel);
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry expected =
            i < 10 || i > 245 ? PaletteEntry{9, 9, 9, 0} : source.hardware[i];
        EXPECT_EQ(target.hardware[i], expected) << i;
    }
    EXPECT_EQ(target.lastRealised.entries[10].flags, PC_NOCOLLAPSE);
}

TEST(PaletteBitmapTest, FailedLoadLeavesTheSystemPaletteUnchanged) {
    TempDir dir;
    FakeDisplay display;
    PaletteModel model(display);
    const auto before = display.hardware;
    auto failureLoading = [&](const std::string& path) {
        try {
            loadPaletteBitmap(path, model);
        } catch (const CommandFailure& e) {
            return e;
        }
        ADD_FAILURE() << "loaded " << path;
        return CommandFailure::silent();
    };

    const std::string rgb = dir.file("rgb24.bmp");
    const Bytes bytes = eightBitFile(24);
    testing::writeBytes(rgb, std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(failureLoading(rgb).message(), "An unsupported operation was attempted.");

    const std::string text = dir.file("notes.bmp");
    testing::writeBytes(text, "hello, this is not a bitmap at all");
    expectUnnamedGeneralError(failureLoading(text));

    EXPECT_EQ(failureLoading(dir.path()).message(), "Access to " + dir.path() + " was denied.");
    EXPECT_EQ(failureLoading(dir.file("gone.bmp")).message(),
              dir.file("gone.bmp") + " was not found.");

    const std::string good = dir.file("good.bmp");
    const Bytes ok = eightBitFile();
    testing::writeBytes(good, std::string(ok.begin(), ok.end()));
    display.paletteCreationFails = true;
    EXPECT_EQ(failureLoading(good).category(), FailureCategory::OutOfMemory);
    display.paletteCreationFails = false;
    display.screenUnreachable = true;
    EXPECT_EQ(failureLoading(good).category(), FailureCategory::ResourceUnavailable);

    EXPECT_EQ(display.hardware, before);
    EXPECT_EQ(std::count(display.calls.begin(), display.calls.end(), "realisePalette"), 0);
}

TEST(PaletteBitmapTest, FailedSaveLeavesThePreviousFileIntact) {
    TempDir dir;
    const std::string path = dir.file("SysPal.bmp");
    FakeDisplay first;
    PaletteModel firstModel(first);
    writePaletteBitmap(path, firstModel);
    const Bytes saved = readBytes(path);

    FakeDisplay second;
    PaletteModel secondModel(second);
    second.screenUnreachable = true;
    EXPECT_THROW(writePaletteBitmap(path, secondModel), CommandFailure);
    EXPECT_EQ(readBytes(path), saved);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"SysPal.bmp"});
}

// The reader's rules, derived here from the header bytes alone: "general" for a short
// file header or a type other than BM, "unsupported" for a short information header,
// a bit depth other than 8 or a short colour table, "accepted" otherwise.
std::string expectedVerdict(const Bytes& b) {
    if (b.size() < 14 || b[0] != 0x42 || b[1] != 0x4D) return "general";
    if (b.size() < 54) return "unsupported";
    if ((b[28] | (b[29] << 8)) != 8) return "unsupported";
    if (b.size() < 1078) return "unsupported";
    return "accepted";
}

std::string actualVerdict(const std::string& path, FakeDisplay& display, PaletteModel& model) {
    try {
        loadPaletteBitmap(path, model);
    } catch (const CommandFailure& e) {
        if (e.category() == FailureCategory::UnsupportedFormat) return "unsupported";
        if (e.category() == FailureCategory::FileError && !e.path() &&
            e.fileErrorKind() == FileErrorKind::generalError)
            return "general";
        return "unexpected: " + e.message();
    }
    (void)display;
    return "accepted";
}

TEST(PaletteBitmapTest, EveryCorpusFileIsAcceptedOrRefusedByTheReaderRules) {
    const std::filesystem::path root = std::filesystem::path(VEXA_TESTDATA_DIR) / "bmp";
    if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "no BMP corpus at " << root;
    std::map<std::string, std::string> verdicts;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (!entry.is_regular_file() || ext != ".bmp") continue;
        const std::string path = entry.path().string();
        const Bytes bytes = readBytes(path);
        FakeDisplay display;
        for (auto& e : display.hardware) e = PaletteEntry{7, 7, 7, 0};
        PaletteModel model(display);
        const std::string expected = expectedVerdict(bytes);
        const std::string actual = actualVerdict(path, display, model);
        EXPECT_EQ(actual, expected) << path;
        for (int i = 0; i < 256; ++i) {
            PaletteEntry want{7, 7, 7, 0};
            if (expected == "accepted" && i >= 10 && i <= 245) {
                const std::size_t at = 54 + 4 * static_cast<std::size_t>(i);
                want = PaletteEntry{bytes[at + 2], bytes[at + 1], bytes[at], 0};
            }
            ASSERT_EQ(display.hardware[i], want) << path << " entry " << i;
        }
        verdicts[std::filesystem::relative(entry.path(), root).string()] = actual;
    }
    EXPECT_GE(verdicts.size(), 100u);
    // A few files whose verdicts follow from what they are.
    const std::pair<const char*, const char*> known[] = {
        {"g/pal8.bmp", "accepted"},           {"g/pal8rle.bmp", "accepted"},
        {"g/pal8v5.bmp", "accepted"},         {"g/pal8topdown.bmp", "accepted"},
        {"g/rgb24.bmp", "unsupported"},       {"g/pal4.bmp", "unsupported"},
        {"g/pal1.bmp", "unsupported"},        {"g/rgb32.bmp", "unsupported"},
        {"g/rgb16.bmp", "unsupported"},       {"x/ba-bm.bmp", "general"},
        {"b/badbitcount.bmp", "unsupported"}, {"extra/cppbmploader/v1/256.bmp", "general"},
    };
    for (auto [name, verdict] : known)
        EXPECT_EQ(verdicts[name], verdict) << name;
}

}  // namespace
}  // namespace vexa
