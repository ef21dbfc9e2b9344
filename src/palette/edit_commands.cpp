#include "palette/edit_commands.h"

#include <algorithm>

#include "palette/palette_bitmap.h"
#include "palette/palette_model.h"
#include "palette/text_dump.h"

namespace vexa {

LogicalPalette copiedPalette(const PaletteModel& model) {
    LogicalPalette copy = model.explicitPalette().record;
    const SystemPaletteSnapshot snapshot = model.readSystemPalette(model.entryCount());
    std::copy_n(snapshot.entries.begin(), snapshot.count, copy.entries.begin());
    return copy;
}

ClipboardPalette clipboardForms(const LogicalPalette& copied, const std::tm* local) {
    const int count = std::clamp<int>(copied.count, 0, kMaxPaletteEntries);
    SystemPaletteSnapshot colours{};
    std::copy_n(copied.entries.begin(), count, colours.entries.begin());
    colours.count = count;

    ClipboardPalette forms;
    forms.entries.assign(copied.entries.begin(), copied.entries.begin() + count);
    forms.bitmap = buildPaletteImage(colours);
    forms.text = buildTextDump(count, colours, local);
    return forms;
}

ClipboardPalette clipboardFormsNow(const LogicalPalette& copied) {
    std::tm local{};
    return clipboardForms(copied, localTimeNow(local));
}

LogicalPalette clearedPalette(std::uint16_t entryCount) {
    LogicalPalette palette{};
    palette.version = kPaletteVersion;
    palette.count = entryCount;
    for (PaletteEntry& entry : palette.entries) entry = PaletteEntry{0, 0, 0, PC_NOCOLLAPSE};
    return palette;
}

void clearPalette(const PaletteModel& model) {
    const auto palette = model.createPalette(clearedPalette(model.entryCount()));
    model.applyPalette(*palette);
}

}  // namespace vexa
