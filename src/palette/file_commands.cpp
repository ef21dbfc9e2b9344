#include "palette/file_commands.h"

#include <ctime>

#include "base/file_io.h"
#include "base/file_paths.h"
#include "palette/file_formats.h"
#include "palette/palette_model.h"
#include "palette/text_dump.h"

namespace vexa {
namespace {

// The file's name without its extension: the name GIMP shows for the palette.
std::string paletteName(const std::string& path) {
    std::string name = fileName(path);
    const std::string extension = fileExtension(path);
    if (!extension.empty()) name.resize(name.size() - extension.size() - 1);
    return name;
}

}  // namespace

void savePalette(const std::string& path, const PaletteModel& model) {
    const FileFormat& format = saveFormatFor(path);
    SaveFile file(path);
    // The listing's time is the moment of the command, taken before the palette is read.
    std::tm storage{};
    const std::tm* local = localTimeNow(storage);
    const SystemPaletteSnapshot snapshot = model.readSystemPalette();
    file.write(format.encode({snapshot, model.entryCount(), local, paletteName(path)}));
    file.commit();
}

void loadPalette(const std::string& path, const PaletteModel& model) {
    const std::vector<std::uint8_t> bytes = readFileStart(path, openReadSize());
    const BitmapColourTable table = openFormatFor(bytes, path).read(bytes);
    const LogicalPalette palette = buildLoadedPalette(table, model.readSystemPalette());
    const std::unique_ptr<PaletteObject> object = model.createPalette(palette);
    model.applyPalette(*object);
}

}  // namespace vexa
