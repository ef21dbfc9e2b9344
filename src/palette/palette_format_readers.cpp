// The readers of palette_formats.h: text formats are read line by line, any line ending
// accepted; every departure from a format refuses the whole file.
#include <string_view>
#include <vector>

#include "base/command_failure.h"
#include "base/hex_digit.h"
#include "palette/palette_formats.h"

namespace vexa {
namespace {

[[noreturn]] void refuse() {
    throw CommandFailure::unsupportedFormat();
}

std::string_view asText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The lines of `text`, each without its line end and surrounding blanks.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(trimmed(text.substr(0, end)));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view firstLine(std::span<const std::uint8_t> bytes) {
    const std::string_view text = asText(bytes);
    return trimmed(text.substr(0, text.find('\n')));
}

// The decimal number at the start of `s` (at most 255), moving past it and the blanks
// after it; refuses anything else.
int takeChannel(std::string_view& s) {
    int value = 0;
    std::size_t digits = 0;
    while (digits < s.size() && s[digits] >= '0' && s[digits] <= '9') {
        value = value * 10 + (s[digits] - '0');
        if (value > 255) refuse();
        ++digits;
    }
    if (digits == 0) refuse();
    s.remove_prefix(digits);
    if (!s.empty() && !isBlank(s.front())) refuse();
    s = trimmed(s);
    return value;
}

// The "R G B" at the start of `line`; what follows (GIMP's colour name) stays in `line`.
RgbQuad takeColour(std::string_view& line) {
    const int red = takeChannel(line), green = takeChannel(line), blue = takeChannel(line);
    return RgbQuad{std::uint8_t(blue), std::uint8_t(green), std::uint8_t(red), 0};
}

void add(BitmapColourTable& table, const RgbQuad& colour) {
    if (table.count == kMaxPaletteEntries) refuse();
    table.entries[table.count++] = colour;
}

BitmapColourTable finished(const BitmapColourTable& table) {
    if (table.count == 0) refuse();
    return table;
}

bool isHexColour(std::string_view line) {
    if (line.size() != 6) return false;
    for (char c : line)
        if (hexDigit(c) < 0) return false;
    return true;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

// GIMP: the header line, then "Name:" and "Columns:" lines, comments after "#" and empty
// lines anywhere, and one "R G B" line per colour with an optional name after it.
BitmapColourTable readGimpPalette(std::span<const std::uint8_t> bytes) {
    const auto lines = linesOf(asText(bytes));
    if (lines.empty() || lines[0] != "GIMP Palette") refuse();
    BitmapColourTable table;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.empty() || line.front() == '#' || startsWith(line, "Name:") ||
            startsWith(line, "Columns:"))
            continue;
        add(table, takeColour(line));
    }
    return finished(table);
}

// JASC-PAL: the header, the version "0100", the number of colours, exactly that many
// "R G B" lines; only empty lines may follow.
BitmapColourTable readJascPalette(std::span<const std::uint8_t> bytes) {
    const auto lines = linesOf(asText(bytes));
    if (lines.size() < 3 || lines[0] != "JASC-PAL" || lines[1] != "0100") refuse();
    std::string_view countText = lines[2];
    int count = 0;
    for (char c : countText) {
        if (c < '0' || c > '9' || count > kMaxPaletteEntries) refuse();
        count = count * 10 + (c - '0');
    }
    if (countText.empty() || count < 1 || count > kMaxPaletteEntries) refuse();
    if (lines.size() < 3 + std::size_t(count)) refuse();
    BitmapColourTable table;
    for (int i = 0; i < count; ++i) {
        std::string_view line = lines[3 + i];
        add(table, takeColour(line));
        if (!line.empty()) refuse();
    }
    for (std::size_t i = 3 + count; i < lines.size(); ++i)
        if (!lines[i].empty()) refuse();
    return finished(table);
}

BitmapColourTable readHexList(std::span<const std::uint8_t> bytes) {
    BitmapColourTable table;
    for (std::string_view line : linesOf(asText(bytes))) {
        if (line.empty()) continue;
        if (!isHexColour(line)) refuse();
        auto channel = [&](int at) {
            return std::uint8_t(hexDigit(line[at]) * 16 + hexDigit(line[at + 1]));
        };
        add(table, RgbQuad{channel(4), channel(2), channel(0), 0});
    }
    return finished(table);
}

// 256 RGB triples; the longer form says how many of them are colours.
BitmapColourTable readAdobeTable(std::span<const std::uint8_t> bytes) {
    int count = kMaxPaletteEntries;
    if (bytes.size() == kAdobeTableWithCountSize)
        count = bytes[kAdobeTableSize] << 8 | bytes[kAdobeTableSize + 1];
    else if (bytes.size() != kAdobeTableSize)
        refuse();
    if (count < 1 || count > kMaxPaletteEntries) refuse();
    BitmapColourTable table;
    table.count = count;
    for (int i = 0; i < count; ++i)
        table.entries[i] = RgbQuad{bytes[3 * i + 2], bytes[3 * i + 1], bytes[3 * i], 0};
    return table;
}

bool isGimpPalette(std::span<const std::uint8_t> bytes) {
    return firstLine(bytes) == "GIMP Palette";
}

bool isJascPalette(std::span<const std::uint8_t> bytes) {
    return firstLine(bytes) == "JASC-PAL";
}

bool isHexList(std::span<const std::uint8_t> bytes) {
    return isHexColour(firstLine(bytes));
}

bool isAdobeTableSize(std::span<const std::uint8_t> bytes) {
    return bytes.size() == kAdobeTableSize || bytes.size() == kAdobeTableWithCountSize;
}

}  // namespace vexa
