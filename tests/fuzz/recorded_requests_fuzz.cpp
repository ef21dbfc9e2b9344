// The decoder of recorded requests on any bytes (the first byte picks the client's byte
// order): every request it gives names a colormap and stays inside the input, and applying
// the colours touches only the palette's entries.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/recorded_requests.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    vexa::SystemPaletteSnapshot palette{};
    palette.count = data[0] >> 1;
    for (const vexa::RecordedRequest& request : vexa::decodeRecordedRequests(bytes, data[0] & 1)) {
        if (request.name.size() > bytes.size() || request.colours.size() * 12 > bytes.size())
            __builtin_trap();
        vexa::applyStoredColours(palette, request.colours);
    }
    for (int i = palette.count; i < vexa::kMaxPaletteEntries; ++i)
        if (!(palette.entries[i] == vexa::PaletteEntry{})) __builtin_trap();
    return 0;
}
