// GIF images through giflib: the colour table of any GIF (87a or 89a), and the palette
// image as one. Pure functions on memory; file_commands reads and writes the files.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "base/palette_types.h"
#include "palette/palette_bitmap.h"

namespace vexa {

// True when `bytes` start with "GIF87a" or "GIF89a".
bool isGif(std::span<const std::uint8_t> bytes);

// The global colour table of the GIF `bytes`, or the first image's local table when there
// is no global one; a transparent index is ignored. The image data is not decoded, but
// every block must be whole up to the trailer. UnsupportedFormat for a GIF without either
// table and any damaged or truncated file.
BitmapColourTable readGifColourTable(std::span<const std::uint8_t> bytes);

// The palette image of `snapshot` (256 x 32 pixels, pixel x of every row index x) as a GIF
// whose global colour table holds all 256 entries. Throws std::bad_alloc when giflib runs
// out of memory, its only way to fail here.
std::vector<std::uint8_t> encodePaletteGif(const SystemPaletteSnapshot& snapshot);

}  // namespace vexa
