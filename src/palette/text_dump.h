// The text listing of the system palette: eight header lines, then one line per palette
// entry ("%3d: %3d, %3d, %3d"), every line ended by CR LF on every platform. The bytes
// are built by pure functions; file_commands reads the palette and writes the file.
#pragma once

#include <ctime>
#include <string>

#include "base/palette_types.h"

namespace vexa {

// "Saturday, November 30, 1996 @8:50:09": English names as the C locale has them, the day
// with two digits, the hour without a leading zero. Empty when `local` is null (the time
// could not be converted) or holds a field out of range.
std::string formatDumpTime(const std::tm* local);

// The whole file: the eight header lines, then one line for each of the first
// `entryCount` entries of the snapshot.
std::string buildTextDump(int entryCount, const SystemPaletteSnapshot& snapshot,
                          const std::tm* local);

// The local time now in `storage`, or null when the clock cannot be read.
const std::tm* localTimeNow(std::tm& storage);

}  // namespace vexa
