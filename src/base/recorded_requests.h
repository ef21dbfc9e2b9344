// The core requests that can change what the installed colormap shows, decoded from the
// bytes the X server's RECORD extension hands over (requests one after the other as their
// client sent them, in that client's byte order), and the colours a store request sets
// applied to a palette. Pure code: the X side reads the bytes and the colormaps.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/palette_types.h"

namespace vexa {

// The core request opcodes the decoder knows.
enum class RecordedOpcode : std::uint8_t {
    createColormap = 78,
    freeColormap = 79,
    installColormap = 81,
    uninstallColormap = 82,
    allocColor = 84,
    allocNamedColor = 85,
    storeColors = 89,
    storeNamedColor = 90,
    queryColors = 91,
};

// One colour a store request sets; `doRed`, `doGreen`, `doBlue` say which channels.
struct StoredColour {
    std::uint32_t pixel = 0;
    std::uint16_t red = 0, green = 0, blue = 0;
    bool doRed = false, doGreen = false, doBlue = false;
};

struct RecordedRequest {
    RecordedOpcode opcode{};
    // The colormap the request names (for CreateColormap the new one).
    std::uint32_t colormap = 0;
    // StoreColors: every item; StoreNamedColor: one item whose channels await the name.
    std::vector<StoredColour> colours;
    // StoreNamedColor and AllocNamedColor: the colour's name.
    std::string name;
};

// The requests in `bytes`, in a byte order opposite to this machine's when `swapped`: those
// the decoder knows, in order; others are passed over by their length. Decoding stops at a
// request whose length does not fit the bytes left.
std::vector<RecordedRequest> decodeRecordedRequests(std::span<const std::uint8_t> bytes,
                                                    bool swapped);

// Stores `colours` into the first `palette.count` entries of `palette` as the server keeps
// them (the top eight bits of each channel); true when an entry's colour changed.
bool applyStoredColours(SystemPaletteSnapshot& palette, std::span<const StoredColour> colours);

}  // namespace vexa
