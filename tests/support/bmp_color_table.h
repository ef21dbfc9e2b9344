// Colours as tests compare them, and the colour table of a BMP file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexa::testing {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
std::string toString(const Rgb& c);  // "#RRGGBB"

// The colour table of a BMP file (up to 256 entries), empty when the file is no BMP.
std::vector<Rgb> readBmpColorTable(const std::string& path);

}  // namespace vexa::testing
