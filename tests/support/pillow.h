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

// One frame of an image as Pillow shows it: its delay in milliseconds (0 when it has
// none), the loop count of an animation (-1 when it does not loop), and its pixels as
// red, green and blue, row by row.
struct PillowFrame {
    int width = 0, height = 0;
    int duration = 0;
    int loop = -1;
    std::vector<std::uint8_t> rgb;
};

// Every frame of the image at `path`; an empty list when Pillow refuses the file, nothing
// when /usr/bin/python3 or Pillow is missing.
std::optional<std::vector<PillowFrame>> readFramesWithPillow(const std::string& path);

}  // namespace vexa::testing
