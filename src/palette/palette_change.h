// One state of the installed palette over time, as --watch prints it and --record keeps
// it: when it began, its colours, and the program whose request made it.
#pragma once

#include <chrono>
#include <string>

#include "base/palette_types.h"

namespace vexa {

struct PaletteChange {
    std::chrono::system_clock::time_point time;
    SystemPaletteSnapshot palette;
    // The program that made the change, as --watch names it; empty when not known (the
    // state at the start, or a change seen only by reading the palette).
    std::string author;
};

}  // namespace vexa
