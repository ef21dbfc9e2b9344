// A minimal PNG encoder for screenshots: 8-bit RGB, no filtering, compressed by zlib.
#pragma once

#include <cstdint>
#include <vector>

namespace vexa::testing {

// `rgb` holds width * height pixels, three bytes each, row by row from the top.
std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace vexa::testing
