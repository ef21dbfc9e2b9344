// Palette records in the byte layout of the display's own structures:
// PALETTEENTRY (red, green, blue, flags) and LOGPALETTE (version, count, 256 entries).
#pragma once

#include <array>
#include <cstdint>

namespace vexa {

// The low 16 bits of the entry (red + 256 * green) name a hardware palette index.
inline constexpr std::uint8_t PC_EXPLICIT = 2;
// The entry claims a hardware entry of its own instead of matching an existing colour.
inline constexpr std::uint8_t PC_NOCOLLAPSE = 4;

inline constexpr std::uint16_t kPaletteVersion = 0x300;
inline constexpr int kMaxPaletteEntries = 256;

struct PaletteEntry {
    std::uint8_t red = 0, green = 0, blue = 0, flags = 0;

    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};
static_assert(sizeof(PaletteEntry) == 4);

// A logical palette record; only the first `count` entries take part.
struct LogicalPalette {
    std::uint16_t version = kPaletteVersion;
    std::uint16_t count = 0;
    std::array<PaletteEntry, kMaxPaletteEntries> entries{};

    friend bool operator==(const LogicalPalette&, const LogicalPalette&) = default;
};
static_assert(sizeof(LogicalPalette) == 1028);

// The hardware palette as the display reported it at one moment; entries at or
// above `count` are zero. Made afresh for every use, never cached.
struct SystemPaletteSnapshot {
    std::array<PaletteEntry, kMaxPaletteEntries> entries{};
    int count = 0;
};

// A screen colour: red in bits 0-7, green in bits 8-15, blue in bits 16-23.
using ColorRef = std::uint32_t;

constexpr ColorRef makeColorRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return ColorRef{red} | (ColorRef{green} << 8) | (ColorRef{blue} << 16);
}

}  // namespace vexa
