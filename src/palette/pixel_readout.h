// The text the title shows while the user inspects screen pixels, and the rule for when
// the title is rewritten. Pure functions: the window samples the pixel, hit-tests the
// grid and sets the title.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/palette_types.h"

namespace vexa {

// The first entry among the snapshot's `count` whose red, green and blue equal the
// colour's (flags are not compared); the count when none does.
int findPaletteIndex(ColorRef colour, const SystemPaletteSnapshot& snapshot);

// "<app> - [iii] = 0xBBGGRR = RGB(r, g, b)". A tile index of 0 or more is printed as given;
// with index < 0 (off the grid) `takeSnapshot` is called once for a fresh system palette
// and the colour is searched in it.
std::string formatReadout(std::string_view appName, ColorRef colour, int index,
                          const std::function<SystemPaletteSnapshot()>& takeSnapshot);

// How much of a title is read back for the comparison (a 256-byte buffer with its zero).
inline constexpr std::size_t kTitleReadLimit = 255;

// True when the title must be rewritten: the current title, read back as at most 255
// characters, differs byte for byte (case-sensitive) from the wanted text.
bool titleDiffers(std::string_view currentTitle, std::string_view wanted);

}  // namespace vexa
