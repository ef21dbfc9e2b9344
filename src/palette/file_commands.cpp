#include "palette/file_commands.h"

#include "platform/file_name_rules.h"
#include "palette/palette_bitmap.h"
#include "palette/text_dump.h"

namespace vexa {

SaveFormat saveFormatFor(const std::string& path) {
    return hasExtension(path, "bmp") ? SaveFormat::paletteBitmap : SaveFormat::textDump;
}

void savePalette(const std::string& path, const PaletteModel& model) {
    if (saveFormatFor(path) == SaveFormat::paletteBitmap) {
        writePaletteBitmap(path, model);
    } else {
        writeTextDump(path, model);
    }
}

}  // namespace vexa
