// The installed palette over time, for --watch: every change of its colours, as it happens,
// and one line on standard output for each.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "palette/palette_change.h"

namespace vexa {

class PaletteModel;

// Follows the installed palette: calls `onChange` with the palette at the start (author
// empty), then once for every change of its colours, until `onChange` returns false or
// `stopFd` (when not -1) becomes readable. Where the display tells of every request that
// changes the colours, each state is exact and names its author, and nothing runs while
// nothing happens; elsewhere the palette is read every `interval` and authors stay empty.
void followPalette(const PaletteModel& model,
                   const std::function<bool(const PaletteChange&)>& onChange, int stopFd,
                   std::chrono::milliseconds interval);

// How often the palette is read when nothing tells of its changes.
inline constexpr std::chrono::milliseconds kWatchInterval{20};

// "HH:MM:SS.mmm" of `time` in local time, as --watch lines begin.
std::string timeForWatch(std::chrono::system_clock::time_point time);

// --watch: a line on `out` for every change of the installed colours until SIGINT, SIGTERM
// or SIGHUP, which then ends the process as it would have without being caught. A failed
// write raises the file error.
void watchPalette(const PaletteModel& model, std::FILE* out);

}  // namespace vexa
