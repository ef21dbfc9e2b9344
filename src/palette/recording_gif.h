// A recording as an animated GIF: the palette as a 16 x 16 grid of swatches, every frame
// indexed with the colours of its moment as its own colour table, shown for the real time
// until the next frame, and looping. A frame after the first covers only the swatches
// that changed, over the frame before. States closer than the shortest frame are
// merged into one (the later colours win): viewers show shorter frames far longer.
#pragma once

#include <chrono>
#include <memory>

#include "palette/recording_formats.h"

namespace vexa {

// The side of a swatch in pixels, and of the frame: 16 swatches a side.
inline constexpr int kRecordingSwatch = 16;
inline constexpr int kRecordingFrameSide = 16 * kRecordingSwatch;
// No frame starts sooner than this after the one before.
inline constexpr std::chrono::milliseconds kShortestFrame{20};

std::unique_ptr<RecordingEncoder> makeGifRecording(ByteSink sink);

}  // namespace vexa
