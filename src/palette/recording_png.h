// A recording as a timeline: an RGB PNG with one row per state, from the first at the top,
// and a band a few pixels wide per entry, from entry 0 at the left. An entry that keeps
// its colour draws a straight line down; a range of entries that cycles draws diagonal
// stripes. The rows go to libpng one at a time.
#pragma once

#include <cstddef>
#include <memory>

#include "palette/recording_formats.h"

namespace vexa {

// Pixels per entry across a row.
inline constexpr int kTimelineBand = 2;
inline constexpr int kTimelineWidth = 256 * kTimelineBand;

// A timeline of `rows` states (at least one): exactly as many must be added; should fewer
// come, the last one fills the rest.
std::unique_ptr<RecordingEncoder> makePngTimeline(std::size_t rows, ByteSink sink);

}  // namespace vexa
