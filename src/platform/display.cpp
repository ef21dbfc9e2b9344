#include "platform/display.h"

#include <algorithm>

namespace vexa {

// Two separate reads; a display that can do both in one exchange overrides this.
DisplayDevice::ScreenSample DisplayDevice::sampleScreen(int x, int y, bool withPalette) {
    ScreenSample sample;
    sample.colour = screenPixel(x, y);
    if (withPalette) {
        const int got =
            readSystemPaletteEntries(0, kMaxPaletteEntries, sample.palette.entries.data());
        sample.palette.count = std::clamp(got, 0, kMaxPaletteEntries);
    }
    return sample;
}

}  // namespace vexa
