#include "palette/file_commands.h"

#include <new>

#include "base/command_failure.h"
#include "base/file_io.h"
#include "palette/palette_bitmap.h"
#include "palette/palette_formats.h"
#include "palette/palette_model.h"
#include "palette/text_dump.h"
#include "platform/file_name_rules.h"

namespace vexa {
namespace {

// Far more than any palette file needs; a longer text is no palette.
constexpr std::size_t kPaletteFileReadSize = 1 << 20;

// The file's name without folder and extension: the name GIMP shows for the palette.
std::string paletteName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string extension = fileExtension(path);
    if (!extension.empty()) name.resize(name.size() - extension.size() - 1);
    return name;
}

void writePaletteFile(const std::string& path, PaletteFileFormat format,
                      const PaletteModel& model) {
    SaveFile file(path);
    const SystemPaletteSnapshot snapshot = model.readSystemPalette();
    std::string bytes;
    try {
        bytes = encodePaletteFile(format, snapshot, paletteName(path));
    } catch (const std::bad_alloc&) {
        throw CommandFailure::outOfMemory();
    }
    file.write(bytes);
    file.commit();
}

BitmapColourTable readColourTable(const std::string& path) {
    const std::vector<std::uint8_t> bytes = readFileStart(path, kPaletteFileReadSize + 1);
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return readBitmapColourTable(bytes);
    if (const auto format = recognisePaletteFile(bytes, path)) {
        if (bytes.size() > kPaletteFileReadSize) throw CommandFailure::unsupportedFormat();
        return readPaletteFile(*format, bytes);
    }
    if (paletteFormatForName(path)) throw CommandFailure::unsupportedFormat();
    return readBitmapColourTable(bytes);
}

}  // namespace

SaveFormat saveFormatFor(const std::string& path) {
    if (hasExtension(path, "bmp")) return SaveFormat::paletteBitmap;
    return paletteFormatForName(path) ? SaveFormat::paletteFile : SaveFormat::textDump;
}

void savePalette(const std::string& path, const PaletteModel& model) {
    switch (saveFormatFor(path)) {
        case SaveFormat::paletteBitmap:
            writePaletteBitmap(path, model);
            break;
        case SaveFormat::paletteFile:
            writePaletteFile(path, *paletteFormatForName(path), model);
            break;
        case SaveFormat::textDump:
            writeTextDump(path, model);
            break;
    }
}

void loadPalette(const std::string& path, const PaletteModel& model) {
    const BitmapColourTable table = readColourTable(path);
    const LogicalPalette palette = buildLoadedPalette(table, model.readSystemPalette());
    const std::unique_ptr<PaletteObject> object = model.createPalette(palette);
    model.applyPalette(*object);
}

}  // namespace vexa
