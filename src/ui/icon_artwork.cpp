#include "ui/icon_artwork.h"

#include <cstdio>

namespace vexa {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF, kGrey = 0x808080, kBlack = 0x000000;

// The tiles row by row, as on the 16-colour VGA palette's icon.
constexpr std::uint32_t kTiles[4][4] = {
    {0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF},
    {0x800000, 0xFF0000, 0x808000, 0xFFFF00},
    {0x008000, 0x00FF00, 0x008080, 0x00FFFF},
    {0x000080, 0x0000FF, 0x800080, 0xFF00FF},
};

}  // namespace

std::optional<std::vector<IconShape>> appIconShapes(int size) {
    const int line = size / 32 > 1 ? size / 32 : 1;
    const int tile = (size - 8 * line) / 4;
    if (tile <= 0 || 8 * line + 4 * tile != size) return std::nullopt;
    const int panel = size - line;  // the shadow takes the rest
    std::vector<IconShape> shapes = {
        {2 * line, 2 * line, size - 2 * line, size - 2 * line, kBlack},  // shadow
        {0, 0, panel, panel, kGrey},                                     // lower right edge
        {0, 0, panel - line, panel - line, kWhite},                      // upper left edge
        {line, line, panel - 2 * line, panel - 2 * line, kBlack},        // inside
    };
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            shapes.push_back({2 * line + column * (tile + line), 2 * line + row * (tile + line),
                              tile, tile, kTiles[row][column]});
    return shapes;
}

std::optional<IconPicture> drawAppIcon(int size) {
    const std::optional<std::vector<IconShape>> shapes = appIconShapes(size);
    if (!shapes) return std::nullopt;
    IconPicture picture;
    picture.width = picture.height = size;
    picture.rgba.assign(static_cast<std::size_t>(size) * size * 4, 0);
    for (const IconShape& shape : *shapes) {
        for (int y = shape.y; y < shape.y + shape.height; ++y) {
            for (int x = shape.x; x < shape.x + shape.width; ++x) {
                unsigned char* pixel = &picture.rgba[(static_cast<std::size_t>(y) * size + x) * 4];
                pixel[0] = static_cast<unsigned char>(shape.rgb >> 16);
                pixel[1] = static_cast<unsigned char>(shape.rgb >> 8);
                pixel[2] = static_cast<unsigned char>(shape.rgb);
                pixel[3] = 255;
            }
        }
    }
    picture.colourCount = 16;
    return picture;
}

std::string appIconSvg() {
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
        "viewBox=\"0 0 32 32\" shape-rendering=\"crispEdges\">\n";
    const std::vector<IconShape> shapes = appIconShapes(32).value();
    for (const IconShape& shape : shapes) {
        char rect[128];
        std::snprintf(rect, sizeof rect,
                      "  <rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"#%06X\"/>\n",
                      shape.x, shape.y, shape.width, shape.height, shape.rgb);
        svg += rect;
    }
    return svg + "</svg>\n";
}

}  // namespace vexa
