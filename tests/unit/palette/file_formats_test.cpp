#include "palette/file_formats.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "base/command_failure.h"

namespace vexa {
namespace {

TEST(FileFormats, SaveChoosesByTheFinalExtensionInAnyCaseAndListsTheRest) {
    for (auto [name, extension] : {std::pair{"SysPal.bmp", "bmp"},
                                   {"a.BMP", "bmp"},
                                   {"/x/y/a.bMp", "bmp"},
                                   {"/t.txt/a.bmp", "bmp"},
                                   {"a.PNG", "png"},
                                   {"/d.gif/a.pNg", "png"},
                                   {"a.png.Gif", "gif"},
                                   {"a.GPL", "gpl"},
                                   {"a.Pal", "pal"},
                                   {"/x.txt/a.aCt", "act"},
                                   {"a.bmp.HEX", "hex"}})
        EXPECT_EQ(saveFormatFor(name).extension, extension) << name;
    for (const char* name : {"a.txt", "a.dat", "a", "a.bmp.txt", "/d.bmp/a", "a.", "bmp",
                             "a.gpl.txt", "/d.hex/a", "a.palx", "act", "a.png.txt", "a.gifs"})
        EXPECT_EQ(&saveFormatFor(name), &listingFormat()) << name;
}

// What a new row must keep true for the lookups by name to stay unambiguous.
TEST(FileFormats, EveryWrittenFormatHasItsOwnExtensionAndLabel) {
    std::set<std::string_view> extensions;
    for (const FileFormat& format : fileFormats()) {
        EXPECT_TRUE(!format.read || format.holds) << format.extension;
        EXPECT_TRUE(!format.printable || format.encode) << format.extension;
        if (!format.encode) continue;
        EXPECT_FALSE(format.label.empty()) << format.extension;
        EXPECT_TRUE(extensions.insert(format.extension).second) << format.extension;
    }
}

TEST(FileFormats, OpenRefusesAFileLargerThanItsFormatTakes) {
    const std::size_t readSize = openReadSize();
    EXPECT_EQ(readSize, (std::size_t{64} << 20) + 1);
    std::vector<std::uint8_t> gif(readSize, 0);
    gif[0] = 'G', gif[1] = 'I', gif[2] = 'F', gif[3] = '8', gif[4] = '9', gif[5] = 'a';
    EXPECT_THROW(openFormatFor(gif, "big.gif"), CommandFailure);
    gif.pop_back();
    EXPECT_EQ(openFormatFor(gif, "big.gif").extension, "gif");
    std::vector<std::uint8_t> gimp(std::size_t{1} << 20, ' ');
    const std::string header = "GIMP Palette\n";
    std::copy(header.begin(), header.end(), gimp.begin());
    EXPECT_EQ(openFormatFor(gimp, "p").extension, "gpl");
    gimp.push_back(' ');
    EXPECT_THROW(openFormatFor(gimp, "p"), CommandFailure);
    // A bitmap's table is at its start: the size of the rest does not matter.
    std::vector<std::uint8_t> bitmap(readSize, 0);
    bitmap[0] = 'B', bitmap[1] = 'M';
    EXPECT_EQ(openFormatFor(bitmap, "b.gif").extension, "bmp");
}

}  // namespace
}  // namespace vexa
