#include "palette/pixel_readout.h"

#include <algorithm>
#include <cstdio>

namespace vexa {

int findPaletteIndex(ColorRef colour, const SystemPaletteSnapshot& snapshot) {
    const int count = std::clamp(snapshot.count, 0, kMaxPaletteEntries);
    const auto red = static_cast<std::uint8_t>(colour & 0xFF);
    const auto green = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
    const auto blue = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
    for (int k = 0; k < count; ++k) {
        const PaletteEntry& e = snapshot.entries[k];
        if (e.red == red && e.green == green && e.blue == blue) return k;
    }
    return count;
}

std::string formatReadout(std::string_view appName, ColorRef colour, int index,
                          const std::function<SystemPaletteSnapshot()>& takeSnapshot) {
    if (index < 0) index = findPaletteIndex(colour, takeSnapshot());
    char tail[96];
    std::snprintf(tail, sizeof tail, " - [%03d] = 0x%06X = RGB(%u, %u, %u)", index,
                  static_cast<unsigned>(colour), static_cast<unsigned>(colour & 0xFF),
                  static_cast<unsigned>((colour >> 8) & 0xFF),
                  static_cast<unsigned>((colour >> 16) & 0xFF));
    // The title buffer holds 255 characters; a longer text is cut there.
    std::string text(appName);
    text += tail;
    if (text.size() > kTitleReadLimit) text.resize(kTitleReadLimit);
    return text;
}

bool titleDiffers(std::string_view currentTitle, std::string_view wanted) {
    return currentTitle.substr(0, kTitleReadLimit) != wanted;
}

}  // namespace vexa
