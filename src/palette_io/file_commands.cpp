#include "palette_io/file_commands.h"

#include "palette_io/file_name_rules.h"
#include "palette_io/palette_bitmap.h"
#include "palette_io/text_dump.h"

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
