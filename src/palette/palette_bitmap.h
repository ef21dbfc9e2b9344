// The palette bitmap: an uncompressed 8-bit BMP of 256 x 32 pixels whose colour table is
// the system palette and whose every row is the bytes 0..255, so a viewer shows the
// palette as 256 one-pixel columns. Loading takes the colour table of any 8-bit BMP, where
// its header puts it and as long as the header says, and makes its entries 10 to 245 the
// system palette. Pure functions on memory; file_commands reads and writes the files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/palette_types.h"

namespace vexa {

// The palette image in every format: one column per index, every row the same.
inline constexpr int kPaletteImageWidth = 256;
inline constexpr int kPaletteImageHeight = 32;

inline constexpr std::size_t kBitmapFileHeaderSize = 14;
inline constexpr std::size_t kBitmapInfoHeaderSize = 40;
inline constexpr std::size_t kColourTableSize = std::size_t{256} * 4;
inline constexpr std::size_t kPixelDataOffset =
    kBitmapFileHeaderSize + kBitmapInfoHeaderSize + kColourTableSize;                       // 1078
inline constexpr std::size_t kPaletteImageSize = kPixelDataOffset + std::size_t{256} * 32;  // 9270

// The entries of the display's palette that loading leaves alone (its static colours).
inline constexpr int kFirstLoadedEntry = 10;
inline constexpr int kLastLoadedEntry = 245;

// One colour-table entry as a BMP stores it.
struct RgbQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
    friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

// The colour table a BMP file defines: its first `count` entries (1 to 256) are the file's.
struct BitmapColourTable {
    std::array<RgbQuad, 256> entries{};
    int count = 0;
};

// The 9270 bytes of the palette bitmap of `snapshot` (all 256 entries, whatever the
// display's entry count).
std::vector<std::uint8_t> buildPaletteImage(const SystemPaletteSnapshot& snapshot);

// The colour table of the 8-bit BMP whose first bytes are `fileStart`. The header size
// chooses the layout: 12 is the core header (3-byte entries), 16 to 64, 108 and 124 the
// longer ones (4-byte entries); the table follows the header, after three bit masks when
// a 40-byte header says BI_BITFIELDS. It has "colours used" entries, 256 when that is 0 or
// more than 256. A short file header or a type other than "BM" is a general file error
// naming no file; another header size, a short header, bits per pixel other than 8 or a
// file that ends before its table does is UnsupportedFormat. Compression, dimensions and
// the pixel data play no part.
BitmapColourTable readBitmapColourTable(std::span<const std::uint8_t> fileStart);

// The 256-entry logical palette that loading realises: entries 10 to 245 that the table
// has take the file's colours with PC_NOCOLLAPSE; the others stay as the snapshot has
// them, flags included.
LogicalPalette buildLoadedPalette(const BitmapColourTable& table,
                                  const SystemPaletteSnapshot& snapshot);

}  // namespace vexa
