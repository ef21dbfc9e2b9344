#include "palette/indexed_gif.h"

#include <gtest/gtest.h>

#include "pillow.h"
#include "support/colour_tables.h"

namespace vexa {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A GIF built by the format's description: a global table of `global` colours and one
// image of one pixel with a local table of `local` colours (none when 0; otherwise powers
// of two from 2 to 256), `extensions` before the image, `more` after it, then the trailer.
struct GifLayout {
    std::string version = "GIF89a";
    int global = 0, local = 0;
    Bytes extensions{}, more{};
};

Bytes colours(int count, int seed) {
    Bytes rgb;
    for (int i = 0; i < 3 * count; ++i) rgb.push_back(std::uint8_t(i * 5 + seed));
    return rgb;
}

int sizeField(int count) {
    int field = 0;
    while ((2 << field) < count) ++field;
    return field;
}

Bytes image(int local) {
    Bytes b = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0};
    if (local) {
        b.back() = std::uint8_t(0x80 | sizeField(local));
        const Bytes table = colours(local, 100);
        b.insert(b.end(), table.begin(), table.end());
    }
    // LZW minimum code size 2, then clear, index 0, end in one block.
    b.insert(b.end(), {0x02, 0x02, 0x44, 0x01, 0x00});
    return b;
}

Bytes gifFile(const GifLayout& l) {
    Bytes b(l.version.begin(), l.version.end());
    b.insert(b.end(), {1, 0, 1, 0, 0, 0, 0});
    if (l.global) {
        b[10] = std::uint8_t(0xF0 | sizeField(l.global));
        const Bytes table = colours(l.global, 1);
        b.insert(b.end(), table.begin(), table.end());
    }
    b.insert(b.end(), l.extensions.begin(), l.extensions.end());
    const Bytes first = image(l.local);
    b.insert(b.end(), first.begin(), first.end());
    b.insert(b.end(), l.more.begin(), l.more.end());
    b.push_back(0x3B);
    return b;
}

const Bytes kTransparency = {0x21, 0xF9, 0x04, 0x01, 0, 0, 0, 0};
const Bytes kComment = {0x21, 0xFE, 0x03, 'a', 'b', 'c', 0};

std::string verdict(const Bytes& gif) {
    return testing::verdictOf([&] { readGifColourTable(gif); });
}

TEST(IndexedGifTest, TheGlobalTableElseTheFirstImagesLocalOneAsPillowReadsIt) {
    Bytes comments = kComment;
    comments.insert(comments.end(), kTransparency.begin(), kTransparency.end());
    const Bytes secondImage = image(8);
    struct Case {
        std::string name;
        Bytes gif, expected;
    };
    const std::vector<Case> cases = {
        {"87a-global-2.gif", gifFile({.version = "GIF87a", .global = 2}), colours(2, 1)},
        {"global-16-transparent.gif", gifFile({.global = 16, .extensions = comments}),
         colours(16, 1)},
        {"global-256.gif", gifFile({.global = 256}), colours(256, 1)},
        {"local-4.gif", gifFile({.local = 4, .extensions = kTransparency}), colours(4, 100)},
        {"87a-local-256.gif", gifFile({.version = "GIF87a", .local = 256}), colours(256, 100)},
        {"local-2-then-8.gif", gifFile({.local = 2, .more = secondImage}), colours(2, 100)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(testing::rgbOf(readGifColourTable(c.gif)), c.expected) << c.name;
    // A local table does not hide the global one.
    EXPECT_EQ(testing::rgbOf(readGifColourTable(gifFile({.global = 8, .local = 4}))),
              colours(8, 1));

    std::vector<Bytes> files;
    for (const Case& c : cases) files.push_back(c.gif);
    const auto pillow = testing::readWithPillow(files);
    if (!pillow) GTEST_SKIP() << "Pillow is not installed";
    ASSERT_EQ(pillow->size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ((*pillow)[i].palette, cases[i].expected) << cases[i].name;
}

TEST(IndexedGifTest, AGifWithoutATableOrDamagedIsRefused) {
    const Bytes good = gifFile({.global = 16, .extensions = kComment});
    auto cutAt = [&](std::size_t size) { return Bytes(good.begin(), good.begin() + size); };
    const std::vector<std::pair<std::string, Bytes>> refused = {
        {"no table", gifFile({})},
        {"no table in the first image", gifFile({.more = image(4)})},
        {"cut in the screen", cutAt(9)},
        {"cut in the table", cutAt(13 + 20)},
        {"cut in the comment", cutAt(13 + 48 + 4)},
        {"cut in the image data", cutAt(good.size() - 3)},
        {"no trailer", cutAt(good.size() - 1)},
        {"unknown record",
         [&] {
             Bytes b = good;
             b.insert(b.end() - 1, 0x00);
             return b;
         }()},
        {"GIF88a",
         [&] {
             Bytes b = good;
             b[4] = '8';
             return b;
         }()},
    };
    for (const auto& [name, bytes] : refused) EXPECT_EQ(verdict(bytes), "unsupported") << name;
    EXPECT_EQ(verdict(good), "accepted");
}

}  // namespace
}  // namespace vexa
