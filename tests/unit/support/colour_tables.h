// Helpers for tests of the colour-table readers: a table as the RGB bytes other readers
// report, and a reader's verdict as a word.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/command_failure.h"
#include "palette/palette_bitmap.h"

namespace vexa::testing {

// Red, green and blue of each entry the table has.
inline std::vector<std::uint8_t> rgbOf(const BitmapColourTable& table) {
    std::vector<std::uint8_t> rgb;
    for (int i = 0; i < table.count; ++i)
        rgb.insert(rgb.end(),
                   {table.entries[i].red, table.entries[i].green, table.entries[i].blue});
    return rgb;
}

// "accepted", "unsupported" (with its message checked), or the message of another failure.
inline std::string verdictOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const CommandFailure& e) {
        if (e.category() != FailureCategory::UnsupportedFormat) return e.message();
        return e.message() == "An unsupported operation was attempted." ? "unsupported" : "?";
    }
    return "accepted";
}

}  // namespace vexa::testing
