// Pillow (python3-pil), the image library of Python, as an independent reader of PNG and GIF
// files: how it decodes each file, for comparison with Vexa's readers and writers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexa::testing {

struct PillowImage {
    bool read = false;  // false: Pillow refused the file
    std::string mode;   // "P" for an indexed image
    int width = 0, height = 0;
    std::vector<std::uint8_t> palette;  // mode P: red, green, blue of each entry it has
    std::vector<std::uint8_t> pixels;   // mode P: the index of each pixel, row by row
};

// How Pillow reads each of `paths` (decoding the pixels too), one image per path; nothing
// when /usr/bin/python3 or Pillow is missing.
std::optional<std::vector<PillowImage>> readWithPillow(const std::vector<std::string>& paths);
// The same for files given by their bytes.
std::optional<std::vector<PillowImage>> readWithPillow(
    const std::vector<std::vector<std::uint8_t>>& files);

}  // namespace vexa::testing
