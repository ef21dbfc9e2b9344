// The palette-file readers on any bytes, each format tried: 1 to 256 colours or the
// UnsupportedFormat they document, never a read outside the input.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/command_failure.h"
#include "palette/palette_formats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes{data, size};
    for (auto holds :
         {vexa::isGimpPalette, vexa::isJascPalette, vexa::isHexList, vexa::isAdobeTableSize})
        (void)holds(bytes);
    for (auto read :
         {vexa::readGimpPalette, vexa::readJascPalette, vexa::readAdobeTable, vexa::readHexList}) {
        try {
            const vexa::BitmapColourTable table = read(bytes);
            if (table.count < 1 || table.count > 256) __builtin_trap();
        } catch (const vexa::CommandFailure& failure) {
            if (failure.category() != vexa::FailureCategory::UnsupportedFormat) __builtin_trap();
        }
    }
    return 0;
}
