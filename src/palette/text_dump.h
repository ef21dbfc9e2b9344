// The text listing of the system palette: eight header lines, then one line per palette
// entry ("%3d: %3d, %3d, %3d"), every line ended by CR LF on every platform. The bytes
// are built by pure functions; writeTextDump does the reading and the file.
#pragma once

#include <ctime>
#include <string>

#include "base/palette_types.h"

namespace vexa {

class PaletteModel;

// "Saturday, November 30, 1996 @8:50:09": English names as the C locale has them, the day
// with two digits, the hour without a leading zero. Empty when `local` is null (the time
// could not be converted) or holds a field out of range.
std::string formatDumpTime(const std::tm* local);

// Lines 1 to 8.
std::string textDumpHeader(int entryCount, const std::tm* local);
// One line for each of the first `entryCount` entries of the snapshot.
std::string textDumpEntries(int entryCount, const SystemPaletteSnapshot& snapshot);
// The whole file.
std::string buildTextDump(int entryCount, const SystemPaletteSnapshot& snapshot,
                          const std::tm* local);

// The local time now in `storage`, or null when the clock cannot be read.
const std::tm* localTimeNow(std::tm& storage);

// Writes the listing of the current system palette to `path`. The header is written
// before the palette is read; on any failure the file at `path` is left as it was.
// Throws CommandFailure.
void writeTextDump(const std::string& path, const PaletteModel& model);

}  // namespace vexa
