// The BMP colour-table reader on any bytes: a table or one of the failures it documents,
// never a read outside the input.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/command_failure.h"
#include "palette/palette_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const vexa::BitmapColourTable table = vexa::readBitmapColourTable({data, size});
        if (table.count > 256) __builtin_trap();
    } catch (const vexa::CommandFailure&) {
    }
    return 0;
}
