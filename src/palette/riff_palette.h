// Microsoft RIFF palettes ("PAL " files, as Windows palette editors write them, usually
// named .pal like the JASC text format): a RIFF form holding a "data" chunk that is a
// logical palette record (version 0x300, a count, then red, green, blue, flags for each
// entry). Read only; a pure function on memory.
#pragma once

#include <cstdint>
#include <span>

#include "palette/palette_bitmap.h"

namespace vexa {

// True when `bytes` start with "RIFF", a size and the form type "PAL ".
bool isRiffPalette(std::span<const std::uint8_t> bytes);

// The colours of the "data" chunk; other chunks are passed over. UnsupportedFormat when a
// chunk size does not fit (the RIFF size must be the file's), there is no "data" chunk, or
// it is not a record of version 0x300 with 1 to 256 entries that fill it exactly.
BitmapColourTable readRiffPalette(std::span<const std::uint8_t> bytes);

}  // namespace vexa
