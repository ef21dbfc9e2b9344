// The palette files that other programs read and write: GIMP palettes (.gpl), JASC-PAL
// palettes of Paint Shop Pro (.pal), Adobe colour tables (.act) and hex lists (.hex, one
// "rrggbb" line per colour, as Lospec and most pixel-art tools have them). Writers build
// the bytes of all 256 entries; readers take the colours of a file into a colour table
// that loading treats like a bitmap's. Pure functions on memory; file_commands adds files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/palette_types.h"
#include "palette/palette_bitmap.h"

namespace vexa {

enum class PaletteFileFormat { gimp, jasc, adobe, hexList };

// An Adobe colour table: 256 RGB triples, optionally followed by the number of colours
// and the transparent index, both big-endian.
inline constexpr std::size_t kAdobeTableSize = 768;
inline constexpr std::size_t kAdobeTableWithCountSize = 772;

// The format the final extension of `path` names (".gpl", ".pal", ".act", ".hex" in any
// letter case), or nothing for any other name.
std::optional<PaletteFileFormat> paletteFormatForName(const std::string& path);

// The file of all 256 entries of `snapshot`. `name` is the palette's name where the
// format keeps one (GIMP's "Name:" line). The Adobe table is the 772-byte form: count
// 256, no transparent index (0xFFFF).
std::string encodePaletteFile(PaletteFileFormat format, const SystemPaletteSnapshot& snapshot,
                              const std::string& name);

// The format whose content `bytes` has: the "GIMP Palette" header line, the "JASC-PAL"
// header line, a first line of six hex digits, or a file of 768 or 772 bytes whose name
// `path` ends in ".act". Nothing when it has none of them.
std::optional<PaletteFileFormat> recognisePaletteFile(std::span<const std::uint8_t> bytes,
                                                      const std::string& path);

// The colours of a palette file of `format`: 1 to 256 entries, each channel 0 to 255.
// A file that breaks its format (a wrong header, a missing or extra value, a value over
// 255, a colour count that is wrong, none at all or more than 256) is UnsupportedFormat.
BitmapColourTable readPaletteFile(PaletteFileFormat format, std::span<const std::uint8_t> bytes);

}  // namespace vexa
