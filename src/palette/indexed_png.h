// Indexed (colour type 3) PNG images through libpng: the colour table of any of them, and
// the palette image as one. Pure functions on memory; file_commands reads and writes the
// files.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "base/palette_types.h"
#include "palette/palette_bitmap.h"

namespace vexa {

// True when `bytes` start with the PNG signature.
bool isPng(std::span<const std::uint8_t> bytes);

// The PLTE entries of the indexed PNG `bytes`, at any bit depth; transparency is ignored.
// The image data is not decoded, but every chunk must be whole with a correct CRC up to
// IEND. UnsupportedFormat for a PNG without a palette (grey or truecolour), a PLTE with
// more entries than the bit depth allows, and any damaged or truncated file.
BitmapColourTable readPngColourTable(std::span<const std::uint8_t> bytes);

// The palette image of `snapshot` (256 x 32 pixels, pixel x of every row index x) as an
// 8-bit indexed PNG whose PLTE holds all 256 entries. Throws std::bad_alloc when libpng
// runs out of memory, its only way to fail here.
std::vector<std::uint8_t> encodePalettePng(const SystemPaletteSnapshot& snapshot);

}  // namespace vexa
