// The program's icon (id 1000) as pictures of 32 x 32 and 16 x 16 pixels, kept as XPM text
// with one character per pixel and at most 16 colours plus "None" for transparent pixels.
#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace vexa {

struct IconPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;  // rows top to bottom, 4 bytes a pixel; alpha 0 or 255
    int colourCount = 0;              // opaque colours the picture declares
};

// Decodes XPM text of one character per pixel whose colours are "#RRGGBB" or "None".
// Nothing when the text is not such an XPM or its pixels use an undeclared colour.
std::optional<IconPicture> decodeXpm(std::string_view text);

// Icon `id` at `size` pixels square (32 or 16), from the embedded resources.
std::optional<IconPicture> loadIconPicture(int id, int size);

// The picture drawn over an opaque background colour (red, green, blue): 3 bytes a pixel.
std::vector<unsigned char> flattenOnto(const IconPicture& picture,
                                       const std::array<unsigned char, 3>& background);

}  // namespace vexa
