// --record FILE [--duration SECONDS]: every state of the installed palette from the start
// until SIGINT, SIGTERM or SIGHUP (or the duration), then FILE written in the format its
// extension names (palette/recording_formats). The states wait in a spool on disk, not in
// memory. FILE is written as Save As writes: into a file without a name in its folder that
// takes FILE's name only when complete, so that a failed or interrupted write leaves no
// partial file and keeps an older one; the folder is tried before the recording starts.
#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace vexa {

class PaletteModel;

// A positive number of seconds as digits with an optional fraction ("90", "0.5"), up to a
// billion; nothing for anything else.
std::optional<std::chrono::nanoseconds> parseDuration(std::string_view text);

// Records to `path`, for `duration` when it is positive; progress on `status` when that is
// a terminal. A signal during the write abandons it and then ends the program as it would
// have without being caught. Throws CommandFailure.
void recordPalette(const PaletteModel& model, const std::string& path,
                   std::chrono::nanoseconds duration, std::FILE* status);

}  // namespace vexa
