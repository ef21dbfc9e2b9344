#include "ui/palette_commands.h"

#include <ctime>

#include "palette/edit_commands.h"
#include "palette/file_commands.h"
#include "palette/palette_bitmap.h"
#include "platform/clipboard.h"
#include "platform/file_dialogs.h"

namespace vexa {

void saveAsCommand(const PaletteModel& model) {
    if (const auto path = runSaveAsDialog()) savePalette(*path, model);
}

void openCommand(const PaletteModel& model) {
    if (const auto path = runOpenDialog()) loadPaletteBitmap(*path, model);
}

void copyCommand(const PaletteModel& model) {
    const LogicalPalette copy = copiedPalette(model);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    const std::tm* converted =
        now == static_cast<std::time_t>(-1) ? nullptr : ::localtime_r(&now, &local);
    offerPaletteOnClipboard(clipboardForms(copy, converted));
}

void clearCommand(const PaletteModel& model) {
    clearPalette(model);
}

}  // namespace vexa
