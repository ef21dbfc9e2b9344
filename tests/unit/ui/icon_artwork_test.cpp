#include "ui/icon_artwork.h"

#include <gtest/gtest.h>

#include "ui/dialog_template.h"

namespace vexa {
namespace {

std::uint32_t pixel(const IconPicture& picture, int x, int y) {
    const unsigned char* p = &picture.rgba[(static_cast<std::size_t>(y) * picture.width + x) * 4];
    return p[3] == 0 ? 0xFF000000u : (p[0] << 16 | p[1] << 8 | p[2]);
}

TEST(AppIconArtwork, DrawsTheEmbeddedIconsPixelForPixel) {
    for (int size : {16, 32}) {
        const std::optional<IconPicture> embedded = loadIconPicture(IDI_MAIN, size);
        const std::optional<IconPicture> drawn = drawAppIcon(size);
        ASSERT_TRUE(embedded && drawn) << size;
        EXPECT_EQ(drawn->rgba, embedded->rgba) << size;
    }
}

TEST(AppIconArtwork, LargerSizesKeepTheLayoutWithThickerLines) {
    for (int size : {48, 64, 128, 256}) {
        const std::optional<IconPicture> icon = drawAppIcon(size);
        ASSERT_TRUE(icon) << size;
        ASSERT_EQ(icon->rgba.size(), static_cast<std::size_t>(size * size * 4));
        const int line = std::max(1, size / 32);
        const int tile = (size - 8 * line) / 4;
        EXPECT_EQ(pixel(*icon, 0, 0), 0xFFFFFFu) << size;
        EXPECT_EQ(pixel(*icon, size - 1, 0), 0xFF000000u) << "transparent corner " << size;
        EXPECT_EQ(pixel(*icon, size - 1, size - 1), 0x000000u) << "shadow " << size;
        EXPECT_EQ(pixel(*icon, size - line - 1, size / 2), 0x808080u) << size;
        // The middle of the tile in row 1, column 1 (red) and row 3, column 3 (magenta).
        const int centre = 2 * line + tile / 2;
        EXPECT_EQ(pixel(*icon, centre + tile + line, centre + tile + line), 0xFF0000u) << size;
        EXPECT_EQ(pixel(*icon, centre + 3 * (tile + line), centre + 3 * (tile + line)), 0xFF00FFu)
            << size;
    }
    for (int size : {0, 8, 17, 33, 50}) EXPECT_FALSE(drawAppIcon(size)) << size;
}

TEST(AppIconArtwork, SvgHoldsTheShapesOfThe32PixelIcon) {
    const std::string svg = appIconSvg();
    EXPECT_NE(svg.find("viewBox=\"0 0 32 32\""), std::string::npos);
    EXPECT_NE(svg.find("<rect x=\"9\" y=\"9\" width=\"6\" height=\"6\" fill=\"#FF0000\"/>"),
              std::string::npos)
        << svg;
    std::size_t rects = 0;
    for (std::size_t at = svg.find("<rect"); at != std::string::npos;
         at = svg.find("<rect", at + 1))
        ++rects;
    EXPECT_EQ(rects, appIconShapes(32)->size());
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

}  // namespace
}  // namespace vexa
