// The palette files that other programs read and write: GIMP palettes (.gpl), JASC-PAL
// palettes of Paint Shop Pro (.pal), Adobe colour tables (.act) and hex lists (.hex, one
// "rrggbb" line per colour, as Lospec and most pixel-art tools have them). Writers build
// the bytes of all 256 entries; readers take the colours of a file into a colour table
// that loading treats like a bitmap's. Pure functions on memory; file_commands adds files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/palette_types.h"
#include "palette/palette_bitmap.h"

namespace vexa {

// An Adobe colour table: 256 RGB triples, optionally followed by the number of colours
// and the transparent index, both big-endian.
inline constexpr std::size_t kAdobeTableSize = 768;
inline constexpr std::size_t kAdobeTableWithCountSize = 772;

// The files of all 256 entries of `snapshot`. GIMP keeps the palette's `name` on its
// "Name:" line; the Adobe table is the 772-byte form: count 256, no transparent index
// (0xFFFF).
std::string encodeGimpPalette(const SystemPaletteSnapshot& snapshot, const std::string& name);
std::string encodeJascPalette(const SystemPaletteSnapshot& snapshot);
std::string encodeAdobeTable(const SystemPaletteSnapshot& snapshot);
std::string encodeHexList(const SystemPaletteSnapshot& snapshot);

// What the content of `bytes` shows: the "GIMP Palette" header line, the "JASC-PAL"
// header line, a first line of six hex digits, or the 768 or 772 bytes of an Adobe table
// (which only the file's name can confirm).
bool isGimpPalette(std::span<const std::uint8_t> bytes);
bool isJascPalette(std::span<const std::uint8_t> bytes);
bool isHexList(std::span<const std::uint8_t> bytes);
bool isAdobeTableSize(std::span<const std::uint8_t> bytes);

// The colours of a palette file: 1 to 256 entries, each channel 0 to 255. A file that
// breaks its format (a wrong header, a missing or extra value, a value over 255, a colour
// count that is wrong, none at all or more than 256) is UnsupportedFormat.
BitmapColourTable readGimpPalette(std::span<const std::uint8_t> bytes);
BitmapColourTable readJascPalette(std::span<const std::uint8_t> bytes);
BitmapColourTable readAdobeTable(std::span<const std::uint8_t> bytes);
BitmapColourTable readHexList(std::span<const std::uint8_t> bytes);

}  // namespace vexa
