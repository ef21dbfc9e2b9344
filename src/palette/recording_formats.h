// The files a recording of the palette over time is written to, chosen by the extension in
// any letter case: ".gif" an animation of the palette grid, ".png" a timeline with one row
// per state, ".txt" the --watch lines. The encoders take the states one at a time, in
// order, and hand their bytes to a sink as they go, so a long recording never has to be
// held in memory whole.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "palette/palette_change.h"

namespace vexa {

enum class RecordingFormat { gif, png, text };

// The format for a file named `path`; nothing for any other extension.
std::optional<RecordingFormat> recordingFormatFor(std::string_view path);

// Takes the bytes of the file, in order; may throw, and the encoder passes that on.
using ByteSink = std::function<void(std::span<const std::uint8_t>)>;
// The time of a state as the text lines show it.
using TimeText = std::function<std::string(std::chrono::system_clock::time_point)>;

class RecordingEncoder {
  public:
    virtual ~RecordingEncoder() = default;
    // The next state; no earlier than the one before.
    virtual void add(const PaletteChange& state) = 0;
    // Ends the file after the last state, which lasted until `end`.
    virtual void finish(std::chrono::system_clock::time_point end) = 0;
};

// An encoder of `stateCount` states (the timeline's height: exactly as many must be added)
// into `sink`. Lines of text list the first `entryCount` entries. Running out of memory
// inside the image libraries throws std::bad_alloc.
std::unique_ptr<RecordingEncoder> makeRecordingEncoder(RecordingFormat format,
                                                       std::size_t stateCount, int entryCount,
                                                       ByteSink sink, TimeText timeText);

// The text file: every line of `--watch`, after a first line that lists every entry of the
// first state, so that the file alone gives each state.
std::unique_ptr<RecordingEncoder> makeTextRecording(int entryCount, ByteSink sink,
                                                    TimeText timeText);

}  // namespace vexa
