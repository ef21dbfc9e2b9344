#include "palette/palette_formats.h"

#include <cstdio>

namespace vexa {
namespace {

// A name from a file name may hold any byte; the palette's name is one line.
std::string oneLine(const std::string& name) {
    std::string line = name;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return line;
}

}  // namespace

std::string encodeGimpPalette(const SystemPaletteSnapshot& snapshot, const std::string& name) {
    std::string text = "GIMP Palette\nName: " + oneLine(name) + "\nColumns: 16\n#\n";
    for (int i = 0; i < kMaxPaletteEntries; ++i) {
        const PaletteEntry& e = snapshot.entries[i];
        char line[40];
        std::snprintf(line, sizeof line, "%3d %3d %3d\tIndex %d\n", e.red, e.green, e.blue, i);
        text += line;
    }
    return text;
}

// Paint Shop Pro writes its palettes with CR LF line ends.
std::string encodeJascPalette(const SystemPaletteSnapshot& snapshot) {
    std::string text = "JASC-PAL\r\n0100\r\n256\r\n";
    for (const PaletteEntry& e : snapshot.entries) {
        char line[24];
        std::snprintf(line, sizeof line, "%d %d %d\r\n", e.red, e.green, e.blue);
        text += line;
    }
    return text;
}

std::string encodeAdobeTable(const SystemPaletteSnapshot& snapshot) {
    std::string bytes;
    bytes.reserve(kAdobeTableWithCountSize);
    for (const PaletteEntry& e : snapshot.entries) {
        bytes += static_cast<char>(e.red);
        bytes += static_cast<char>(e.green);
        bytes += static_cast<char>(e.blue);
    }
    // Count 256 (0x0100), then 0xFFFF: no colour is transparent.
    bytes += std::string("\x01\x00\xFF\xFF", 4);
    return bytes;
}

std::string encodeHexList(const SystemPaletteSnapshot& snapshot) {
    std::string text;
    text.reserve(kMaxPaletteEntries * 7);
    for (const PaletteEntry& e : snapshot.entries) {
        char line[8];
        std::snprintf(line, sizeof line, "%02x%02x%02x\n", e.red, e.green, e.blue);
        text += line;
    }
    return text;
}

}  // namespace vexa
