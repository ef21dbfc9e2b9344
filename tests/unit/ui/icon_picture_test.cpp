#include "ui/icon_picture.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "ui/dialog_template.h"

namespace vexa {
namespace {

std::set<std::tuple<int, int, int>> opaqueColours(const IconPicture& picture) {
    std::set<std::tuple<int, int, int>> colours;
    for (std::size_t i = 0; i < picture.rgba.size(); i += 4)
        if (picture.rgba[i + 3])
            colours.insert({picture.rgba[i], picture.rgba[i + 1], picture.rgba[i + 2]});
    return colours;
}

TEST(AppIcon, ComesIn32And16PixelsWithAtMost16Colours) {
    for (int size : {32, 16}) {
        const std::optional<IconPicture> icon = loadIconPicture(IDI_MAIN, size);
        ASSERT_TRUE(icon.has_value()) << size;
        EXPECT_EQ(icon->width, size);
        EXPECT_EQ(icon->height, size);
        ASSERT_EQ(icon->rgba.size(), static_cast<std::size_t>(size * size * 4));
        EXPECT_LE(icon->colourCount, 16);
        const auto used = opaqueColours(*icon);
        EXPECT_LE(used.size(), 16u);
        EXPECT_GE(used.size(), 8u) << "a palette tool's icon shows colours";
        for (std::size_t i = 3; i < icon->rgba.size(); i += 4)
            EXPECT_TRUE(icon->rgba[i] == 0 || icon->rgba[i] == 255);
    }
    EXPECT_FALSE(loadIconPicture(IDI_MAIN, 48).has_value());
    EXPECT_FALSE(loadIconPicture(IDI_MAIN + 1, 32).has_value());
}

TEST(DecodeXpm, ReadsColoursTransparencyAndRows) {
    const char* xpm =
        "/* XPM */\nstatic const char* x[] = {\n\"2 2 3 1\",\n\"  c None\",\n"
        "\"r c #FF0000\",\n\"g c #00ff80\",\n\"r \",\n\"gr\"};\n";
    const std::optional<IconPicture> picture = decodeXpm(xpm);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 2);
    EXPECT_EQ(picture->colourCount, 2);
    const std::vector<unsigned char> expected = {255, 0,   0,   255, 0,   0, 0, 0,
                                                 0,   255, 128, 255, 255, 0, 0, 255};
    EXPECT_EQ(picture->rgba, expected);
    const std::vector<unsigned char> flat = flattenOnto(*picture, {1, 2, 3});
    const std::vector<unsigned char> expectedFlat = {255, 0, 0, 1, 2, 3, 0, 255, 128, 255, 0, 0};
    EXPECT_EQ(flat, expectedFlat);
}

TEST(DecodeXpm, RejectsWhatItCannotDrawFaithfully) {
    const char* bad[] = {
        "",
        "\"2 2 1 2\" \"ab c #000000\" \"abab\" \"abab\"",  // two characters a pixel
        "\"2 2 1 1\" \"a c #000000\" \"aa\"",              // a row missing
        "\"2 2 1 1\" \"a c #000000\" \"aa\" \"ab\"",       // undeclared colour
        "\"2 2 1 1\" \"a c #000000\" \"aa\" \"aaa\"",      // row too long
        "\"2 2 1 1\" \"a c red\" \"aa\" \"aa\"",           // named colour
        "\"2 2 1 1\" \"a c #00000G\" \"aa\" \"aa\"",       // bad hex digit
        "\"0 2 1 1\" \"a c #000000\"",                     // no width
        "\"2 2 1 1\" \"a s sym\" \"aa\" \"aa\"",           // no colour key
    };
    for (const char* text : bad) EXPECT_FALSE(decodeXpm(text).has_value()) << text;
}

}  // namespace
}  // namespace vexa
