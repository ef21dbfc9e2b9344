#include "palette/file_commands.h"

#include <ctime>

#include "base/command_failure.h"
#include "base/file_io.h"
#include "palette/indexed_gif.h"
#include "palette/indexed_png.h"
#include "palette/palette_bitmap.h"
#include "palette/palette_formats.h"
#include "palette/palette_model.h"
#include "palette/riff_palette.h"
#include "palette/text_dump.h"
#include "platform/file_name_rules.h"

namespace vexa {
namespace {

// Far more than any palette file needs; a longer text is no palette.
constexpr std::size_t kPaletteFileReadSize = 1 << 20;
// An image's colour table is taken only from a file that is whole, so the whole file is
// read; a larger PNG or GIF is refused rather than held in memory.
constexpr std::size_t kImageReadSize = std::size_t{64} << 20;

// The file's name without folder and extension: the name GIMP shows for the palette.
std::string paletteName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string extension = fileExtension(path);
    if (!extension.empty()) name.resize(name.size() - extension.size() - 1);
    return name;
}

bool namedLikeImage(const std::string& path) {
    return hasExtension(path, "png") || hasExtension(path, "gif");
}

using TableReader = BitmapColourTable (*)(std::span<const std::uint8_t>);

// The reader of a format whose colour table is taken only from a whole file.
TableReader wholeFileReader(std::span<const std::uint8_t> bytes) {
    if (isPng(bytes)) return readPngColourTable;
    if (isGif(bytes)) return readGifColourTable;
    if (isRiffPalette(bytes)) return readRiffPalette;
    return nullptr;
}

// The colour table of the file `bytes`, recognised by its content; `path` names it.
BitmapColourTable readColourTable(std::span<const std::uint8_t> bytes, const std::string& path) {
    if (const TableReader read = wholeFileReader(bytes)) {
        if (bytes.size() > kImageReadSize) throw CommandFailure::unsupportedFormat();
        return read(bytes);
    }
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return readBitmapColourTable(bytes);
    if (const auto format = recognisePaletteFile(bytes, path)) {
        if (bytes.size() > kPaletteFileReadSize) throw CommandFailure::unsupportedFormat();
        return readPaletteFile(*format, bytes);
    }
    // A file named like a format it does not hold is taken as a damaged one.
    if (paletteFormatForName(path) || namedLikeImage(path))
        throw CommandFailure::unsupportedFormat();
    return readBitmapColourTable(bytes);
}

}  // namespace

SaveFormat saveFormatFor(const std::string& path) {
    if (hasExtension(path, "bmp")) return SaveFormat::paletteBitmap;
    if (hasExtension(path, "png")) return SaveFormat::png;
    if (hasExtension(path, "gif")) return SaveFormat::gif;
    return paletteFormatForName(path) ? SaveFormat::paletteFile : SaveFormat::textDump;
}

void savePalette(const std::string& path, const PaletteModel& model) {
    const SaveFormat format = saveFormatFor(path);
    SaveFile file(path);
    // The listing's time is the moment of the command, taken before the palette is read.
    std::tm storage{};
    const std::tm* local = format == SaveFormat::textDump ? localTimeNow(storage) : nullptr;
    const SystemPaletteSnapshot snapshot = model.readSystemPalette();
    switch (format) {
        case SaveFormat::paletteBitmap:
            file.write(buildPaletteImage(snapshot));
            break;
        case SaveFormat::png:
            file.write(encodePalettePng(snapshot));
            break;
        case SaveFormat::gif:
            file.write(encodePaletteGif(snapshot));
            break;
        case SaveFormat::paletteFile:
            file.write(encodePaletteFile(*paletteFormatForName(path), snapshot, paletteName(path)));
            break;
        case SaveFormat::textDump:
            file.write(buildTextDump(model.entryCount(), snapshot, local));
            break;
    }
    file.commit();
}

void loadPalette(const std::string& path, const PaletteModel& model) {
    const BitmapColourTable table = readColourTable(readFileStart(path, kImageReadSize + 1), path);
    const LogicalPalette palette = buildLoadedPalette(table, model.readSystemPalette());
    const std::unique_ptr<PaletteObject> object = model.createPalette(palette);
    model.applyPalette(*object);
}

}  // namespace vexa
