// The palette as the command line prints it: the whole palette in one of the printable
// formats for --print, and for --watch one line per change naming the entries that changed. Pure
// functions; the caller reads the display and writes the lines.
#pragma once

#include <ctime>
#include <string>

#include "base/palette_types.h"

namespace vexa {

struct FileFormat;

// The palette in `format`, as Save As writes it (the text listing shows the first
// `entryCount` entries and the time `local`); GIMP's palette is called "System palette".
std::string printedPalette(const FileFormat& format, int entryCount,
                           const SystemPaletteSnapshot& snapshot, const std::tm* local);

// "HH:MM:SS.mmm" of the local time `local` and `milliseconds` past its second.
std::string watchTime(const std::tm& local, int milliseconds);

// "<time> i: r, g, b; j: r, g, b" for every entry below `entryCount` that differs
// between `before` and `after`, then " by <author>" when an author is given, ended by LF;
// empty when no entry differs.
std::string changeLine(const std::string& time, int entryCount, const SystemPaletteSnapshot& before,
                       const SystemPaletteSnapshot& after, const std::string& author = {});

}  // namespace vexa
