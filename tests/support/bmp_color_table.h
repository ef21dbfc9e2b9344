// Colours as tests compare them, and the colour table of a BMP file as an image decoder
// reads it, written apart from Vexa's own reader so that each checks the other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexa::testing {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
std::string toString(const Rgb& c);  // "#RRGGBB"

struct BmpColorTable {
    int bitsPerPixel = 0;
    std::vector<Rgb> colors;  // the entries the header declares, at most 256
};

// The colour table of BMP file bytes: "colours used" entries (2^bits when 0, at most 256),
// right after the header (and its bit masks), 3 bytes each after a 12-byte core header, 4
// after the others. Nothing when the bytes are no BMP, the header is of a size no decoder
// knows or the file ends before the table does.
std::optional<BmpColorTable> parseBmpColorTable(const std::string& bytes);

// The colour table of a BMP file, empty when it has none that can be read.
std::vector<Rgb> readBmpColorTable(const std::string& path);

// Writes a small BMP (8 x 8 pixels, 40-byte header) of `bitsPerPixel` whose colour table
// holds `colours`, as most programs write one.
void writeBmp(const std::string& path, const std::vector<Rgb>& colours, int bitsPerPixel = 8);

}  // namespace vexa::testing
