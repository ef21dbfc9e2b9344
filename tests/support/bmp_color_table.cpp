#include "bmp_color_table.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace vexa::testing {
namespace {

std::uint32_t readLe(const std::vector<unsigned char>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
    return value;
}

}  // namespace

std::string toString(const Rgb& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.red, c.green, c.blue);
    return text;
}

std::vector<Rgb> readBmpColorTable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    std::vector<Rgb> table;
    if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') return table;
    const std::uint32_t headerSize = readLe(bytes, 14, 4);
    std::size_t count = 0, entrySize = 4, start = 14 + headerSize;
    if (headerSize == 12) {  // OS/2 core header: three-byte entries, full table
        entrySize = 3;
        count = std::size_t{1} << readLe(bytes, 24, 2);
    } else if (headerSize >= 40 && bytes.size() >= 54) {
        const std::uint32_t bits = readLe(bytes, 28, 2);
        count = readLe(bytes, 46, 4);
        if (count == 0 && bits <= 8) count = std::size_t{1} << bits;
    }
    count = std::min<std::size_t>(count, 256);
    for (std::size_t i = 0; i < count && start + (i + 1) * entrySize <= bytes.size(); ++i) {
        const std::size_t at = start + i * entrySize;
        table.push_back({bytes[at + 2], bytes[at + 1], bytes[at]});
    }
    return table;
}

}  // namespace vexa::testing
