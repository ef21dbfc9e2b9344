#include "bmp_color_table.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace vexa::testing {
namespace {

// A little-endian field of `size` bytes, 0 when the bytes end before it.
std::uint32_t field(const std::string& bytes, std::size_t at, int size) {
    if (at + size > bytes.size()) return 0;
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

}  // namespace

std::string toString(const Rgb& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.red, c.green, c.blue);
    return text;
}

std::optional<BmpColorTable> parseBmpColorTable(const std::string& bytes) {
    if (bytes.size() < 18 || bytes.compare(0, 2, "BM") != 0) return std::nullopt;
    const std::uint32_t headerSize = field(bytes, 14, 4);
    const bool core = headerSize == 12;
    const bool os2 = headerSize >= 16 && headerSize <= 64;
    if (!core && !os2 && headerSize != 108 && headerSize != 124) return std::nullopt;
    const std::size_t end = 14 + headerSize;
    if (bytes.size() < end) return std::nullopt;
    // Only what lies inside the header counts: a short OS/2 header stops early.
    const std::string header = bytes.substr(0, end);

    BmpColorTable table;
    table.bitsPerPixel = static_cast<int>(field(header, core ? 24 : 28, 2));
    std::uint64_t count = core ? 0 : field(header, 46, 4);
    if (count == 0 && table.bitsPerPixel <= 8) count = std::uint64_t{1} << table.bitsPerPixel;
    count = std::min<std::uint64_t>(count, 256);
    const std::size_t masks = headerSize == 40 && field(header, 30, 4) == 3 ? 12 : 0;
    const std::size_t stride = core ? 3 : 4, first = end + masks;
    if (bytes.size() < first + count * stride) return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
        const auto* entry =
            reinterpret_cast<const unsigned char*>(bytes.data() + first + i * stride);
        table.colors.push_back({entry[2], entry[1], entry[0]});
    }
    return table;
}

std::vector<Rgb> readBmpColorTable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    const auto table = parseBmpColorTable(bytes);
    return table ? table->colors : std::vector<Rgb>{};
}

void writeBmp(const std::string& path, const std::vector<Rgb>& colours, int bitsPerPixel) {
    std::string table;
    for (const Rgb& c : colours) table += {char(c.blue), char(c.green), char(c.red), 0};
    const std::string pixels(64, '\0');
    std::string out = "BM";
    auto put = [&](std::size_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(54 + table.size() + pixels.size(), 4);
    put(0, 4);
    put(54 + table.size(), 4);
    put(40, 4);
    put(8, 4);  // width
    put(8, 4);  // height
    put(1, 2);
    put(static_cast<std::size_t>(bitsPerPixel), 2);
    for (int i = 0; i < 6; ++i) put(0, 4);
    std::ofstream(path, std::ios::binary) << out << table << pixels;
}

}  // namespace vexa::testing
