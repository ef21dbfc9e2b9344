// The palette as the command line prints it: the whole palette in one of the text formats
// for --print, and for --watch one line per change naming the entries that changed. Pure
// functions; the caller reads the display and writes the lines.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "base/palette_types.h"

namespace vexa {

enum class PrintFormat { text, gimp, jasc, hexList };

// "txt", "gpl", "pal" or "hex"; nothing for any other name.
std::optional<PrintFormat> printFormatNamed(std::string_view name);

// The palette in `format`: the text listing of the first `entryCount` entries with the
// time `local`, or the palette file of all 256 entries, as Save As writes them.
std::string printedPalette(PrintFormat format, int entryCount,
                           const SystemPaletteSnapshot& snapshot, const std::tm* local);

// "HH:MM:SS.mmm" of the local time `local` and `milliseconds` past its second.
std::string watchTime(const std::tm& local, int milliseconds);

// "<time> i: r, g, b; j: r, g, b" for every entry below `entryCount` that differs
// between `before` and `after`, then " by <author>" when an author is given, ended by LF;
// empty when no entry differs.
std::string changeLine(const std::string& time, int entryCount, const SystemPaletteSnapshot& before,
                       const SystemPaletteSnapshot& after, const std::string& author = {});

}  // namespace vexa
