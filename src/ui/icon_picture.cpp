#include "ui/icon_picture.h"

#include <array>
#include <sstream>
#include <string>

#include "base/hex_digit.h"
#include "ui/embedded_resources.h"

namespace vexa {
namespace {

// The quoted strings of an XPM file, in order; comments and C syntax around them are skipped.
std::vector<std::string_view> quotedStrings(std::string_view text) {
    std::vector<std::string_view> strings;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text.compare(at, 2, "/*") == 0) {
            const std::size_t end = text.find("*/", at + 2);
            if (end == std::string_view::npos) break;
            at = end + 2;
        } else if (text[at] == '"') {
            const std::size_t end = text.find('"', at + 1);
            if (end == std::string_view::npos) break;
            strings.push_back(text.substr(at + 1, end - at - 1));
            at = end + 1;
        } else {
            ++at;
        }
    }
    return strings;
}

// "#RRGGBB" or "None" into RGBA.
std::optional<std::array<unsigned char, 4>> parseColour(std::string_view value) {
    if (value == "None" || value == "none") return std::array<unsigned char, 4>{0, 0, 0, 0};
    if (value.size() != 7 || value[0] != '#') return std::nullopt;
    std::array<unsigned char, 4> rgba{0, 0, 0, 255};
    for (int channel = 0; channel < 3; ++channel) {
        const int high = hexDigit(value[1 + 2 * channel]);
        const int low = hexDigit(value[2 + 2 * channel]);
        if (high < 0 || low < 0) return std::nullopt;
        rgba[channel] = static_cast<unsigned char>(high * 16 + low);
    }
    return rgba;
}

}  // namespace

std::optional<IconPicture> decodeXpm(std::string_view text) {
    const std::vector<std::string_view> strings = quotedStrings(text);
    if (strings.empty()) return std::nullopt;

    std::istringstream header{std::string(strings[0])};
    int width = 0, height = 0, colours = 0, charsPerPixel = 0;
    if (!(header >> width >> height >> colours >> charsPerPixel)) return std::nullopt;
    if (width <= 0 || height <= 0 || width > 256 || height > 256 || colours <= 0 || colours > 256 ||
        charsPerPixel != 1)
        return std::nullopt;
    if (strings.size() < 1 + static_cast<std::size_t>(colours) + height) return std::nullopt;

    std::array<std::optional<std::array<unsigned char, 4>>, 256> table{};
    IconPicture picture;
    for (int i = 0; i < colours; ++i) {
        const std::string_view line = strings[1 + i];
        if (line.size() < 2) return std::nullopt;
        std::istringstream keys{std::string(line.substr(1))};
        std::string key, value;
        std::optional<std::array<unsigned char, 4>> colour;
        while (keys >> key >> value) {
            if (key == "c") colour = parseColour(value);
        }
        if (!colour) return std::nullopt;
        table[static_cast<unsigned char>(line[0])] = colour;
        if ((*colour)[3] != 0) ++picture.colourCount;
    }

    picture.width = width;
    picture.height = height;
    picture.rgba.reserve(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const std::string_view row = strings[1 + colours + y];
        if (row.size() != static_cast<std::size_t>(width)) return std::nullopt;
        for (char c : row) {
            const auto& colour = table[static_cast<unsigned char>(c)];
            if (!colour) return std::nullopt;
            picture.rgba.insert(picture.rgba.end(), colour->begin(), colour->end());
        }
    }
    return picture;
}

std::optional<IconPicture> loadIconPicture(int id, int size) {
    const std::string name = std::to_string(id) + "_" + std::to_string(size);
    const EmbeddedResource* resource = findResource(embeddedResources(), name.c_str(), "XPM");
    if (!resource) return std::nullopt;
    std::optional<IconPicture> picture =
        decodeXpm(std::string_view(reinterpret_cast<const char*>(resource->data), resource->size));
    if (picture && (picture->width != size || picture->height != size)) return std::nullopt;
    return picture;
}

std::vector<unsigned char> flattenOnto(const IconPicture& picture,
                                       const std::array<unsigned char, 3>& background) {
    const auto [red, green, blue] = background;
    std::vector<unsigned char> rgb;
    rgb.reserve(picture.rgba.size() / 4 * 3);
    for (std::size_t i = 0; i + 3 < picture.rgba.size(); i += 4) {
        const bool opaque = picture.rgba[i + 3] != 0;
        rgb.push_back(opaque ? picture.rgba[i] : red);
        rgb.push_back(opaque ? picture.rgba[i + 1] : green);
        rgb.push_back(opaque ? picture.rgba[i + 2] : blue);
    }
    return rgb;
}

}  // namespace vexa
