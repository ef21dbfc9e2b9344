// A minimal PNG encoder, apart from libpng: 8-bit RGB screenshots, and PNG files built
// chunk by chunk for tests of readers (any chunk, any order, any damage).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexa::testing {

// `rgb` holds width * height pixels, three bytes each, row by row from the top.
std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

struct PngChunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

// The signature, then each chunk with its length and CRC.
std::vector<std::uint8_t> pngFile(const std::vector<PngChunk>& chunks);

// IHDR, PLTE (with `colours`, three bytes each; left out when empty), IDAT and IEND of a
// `width` x `height` image of colour type `colourType` at `bitDepth`, every sample 0.
std::vector<PngChunk> pngChunks(int width, int height, int bitDepth, int colourType,
                                const std::vector<std::uint8_t>& colours);

}  // namespace vexa::testing
