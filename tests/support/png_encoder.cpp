#include "png_encoder.h"

#include <zlib.h>

namespace vexa::testing {
namespace {

void putBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((v >> shift) & 0xFF);
}

void putChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
    putBe32(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    putBe32(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// The zlib stream of `raw`; empty when zlib fails.
std::vector<std::uint8_t> zlibStream(const std::vector<std::uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

}  // namespace

std::vector<std::uint8_t> pngFile(const std::vector<PngChunk>& chunks) {
    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const PngChunk& chunk : chunks) putChunk(out, chunk.type.c_str(), chunk.data);
    return out;
}

std::vector<PngChunk> pngChunks(int width, int height, int bitDepth, int colourType,
                                const std::vector<std::uint8_t>& colours) {
    std::vector<std::uint8_t> header;
    putBe32(header, width);
    putBe32(header, height);
    header.insert(header.end(), {std::uint8_t(bitDepth), std::uint8_t(colourType), 0, 0, 0});
    const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    const std::size_t rowBytes = (std::size_t(width) * channels * bitDepth + 7) / 8;
    const std::vector<std::uint8_t> raw(std::size_t(height) * (rowBytes + 1), 0);
    std::vector<PngChunk> chunks{{"IHDR", header}};
    if (!colours.empty()) chunks.push_back({"PLTE", colours});
    chunks.push_back({"IDAT", zlibStream(raw)});
    chunks.push_back({"IEND", {}});
    return chunks;
}

std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint8_t>& rgb) {
    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    putBe32(header, width);
    putBe32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter, no interlace
    putChunk(out, "IHDR", header);
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(height) * (width * 3 + 1));
    for (int row = 0; row < height; ++row) {
        raw.push_back(0);  // filter type None
        auto begin = rgb.begin() + static_cast<std::ptrdiff_t>(row) * width * 3;
        raw.insert(raw.end(), begin, begin + width * 3);
    }
    putChunk(out, "IDAT", zlibStream(raw));
    putChunk(out, "IEND", {});
    return out;
}

}  // namespace vexa::testing
