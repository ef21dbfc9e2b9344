// The RIFF palette reader on any bytes: 1 to 256 colours or the UnsupportedFormat it
// documents, never a read outside the input.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/command_failure.h"
#include "palette/riff_palette.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const vexa::BitmapColourTable table = vexa::readRiffPalette({data, size});
        if (table.count < 1 || table.count > 256) __builtin_trap();
    } catch (const vexa::CommandFailure& failure) {
        if (failure.category() != vexa::FailureCategory::UnsupportedFormat) __builtin_trap();
    }
    return 0;
}
