// The indexed-PNG reader on any bytes: 1 to 256 colours or the UnsupportedFormat it
// documents, never a read outside the input, a message from libpng or an abort. A table it
// reads, written by the PNG writer, reads back the same.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/command_failure.h"
#include "palette/indexed_png.h"
#include "palette/palette_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vexa::BitmapColourTable table;
    try {
        table = vexa::readPngColourTable({data, size});
    } catch (const vexa::CommandFailure& failure) {
        if (failure.category() != vexa::FailureCategory::UnsupportedFormat) __builtin_trap();
        return 0;
    }
    if (table.count < 1 || table.count > 256) __builtin_trap();
    vexa::SystemPaletteSnapshot snapshot;
    for (int i = 0; i < table.count; ++i) {
        const vexa::RgbQuad& q = table.entries[i];
        snapshot.entries[i] = {q.red, q.green, q.blue, 0};
    }
    const vexa::BitmapColourTable again =
        vexa::readPngColourTable(vexa::encodePalettePng(snapshot));
    for (int i = 0; i < table.count; ++i)
        if (!(again.entries[i] == table.entries[i])) __builtin_trap();
    return 0;
}
