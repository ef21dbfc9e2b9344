#include "palette/file_formats.h"

#include <algorithm>
#include <limits>

#include "base/command_failure.h"
#include "base/file_paths.h"
#include "palette/indexed_gif.h"
#include "palette/indexed_png.h"
#include "palette/palette_formats.h"
#include "palette/riff_palette.h"
#include "palette/text_dump.h"

namespace vexa {
namespace {

// An image's colour table is taken only from a file that is whole, so the whole file is
// read; a larger PNG or GIF is refused rather than held in memory.
constexpr std::size_t kImageSize = std::size_t{64} << 20;
// Far more than any palette file needs; a longer text is no palette.
constexpr std::size_t kTextSize = 1 << 20;
// A bitmap's colour table is at its start: the rest of the file is never read.
constexpr std::size_t kAnySize = std::numeric_limits<std::size_t>::max();

std::string bytesText(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

bool isBitmap(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

std::string writeBitmap(const PaletteToWrite& p) {
    return bytesText(buildPaletteImage(p.snapshot));
}
std::string writeListing(const PaletteToWrite& p) {
    return buildTextDump(p.entryCount, p.snapshot, p.local);
}
std::string writePng(const PaletteToWrite& p) {
    return bytesText(encodePalettePng(p.snapshot));
}
std::string writeGif(const PaletteToWrite& p) {
    return bytesText(encodePaletteGif(p.snapshot));
}
std::string writeGimp(const PaletteToWrite& p) {
    return encodeGimpPalette(p.snapshot, p.name);
}
std::string writeJasc(const PaletteToWrite& p) {
    return encodeJascPalette(p.snapshot);
}
std::string writeAdobe(const PaletteToWrite& p) {
    return encodeAdobeTable(p.snapshot);
}
std::string writeHex(const PaletteToWrite& p) {
    return encodeHexList(p.snapshot);
}

constexpr auto kImages = OpenFilter::images;
constexpr auto kPalettes = OpenFilter::paletteFiles;
constexpr auto kNoFilter = OpenFilter::none;

// Each row: extension, Save As label, encode, printable, read, holds, by content, largest
// file, Open filter. Save As lists the rows in this order.
// clang-format off
constexpr FileFormat kFormats[] = {
    {"bmp", "Bitmap",            writeBitmap,  false, readBitmapColourTable, isBitmap,         true,  kAnySize,   kImages},
    {"txt", "Text",              writeListing, true,  nullptr,               nullptr,          false, 0,          kNoFilter},
    {"png", "PNG image",         writePng,     false, readPngColourTable,    isPng,            true,  kImageSize, kImages},
    {"gif", "GIF image",         writeGif,     false, readGifColourTable,    isGif,            true,  kImageSize, kImages},
    {"gpl", "GIMP palette",      writeGimp,    true,  readGimpPalette,       isGimpPalette,    true,  kTextSize,  kPalettes},
    {"pal", "JASC palette",      writeJasc,    true,  readJascPalette,       isJascPalette,    true,  kTextSize,  kPalettes},
    {"act", "Adobe color table", writeAdobe,   false, readAdobeTable,        isAdobeTableSize, false, kTextSize,  kPalettes},
    {"hex", "Hex list",          writeHex,     true,  readHexList,           isHexList,        true,  kTextSize,  kPalettes},
    // Microsoft's RIFF palette, read but not written; such files are named .pal like JASC's.
    {"",    "",                  nullptr,      false, readRiffPalette,       isRiffPalette,    true,  kImageSize, kNoFilter},
};
// clang-format on

// The row every file Open does not recognise is read as, and the row every name of no
// format's extension is saved as.
constexpr const FileFormat& kBitmap = kFormats[0];
constexpr const FileFormat& kListing = kFormats[1];
static_assert(kBitmap.extension == "bmp" && kListing.extension == "txt");

// The row that `path`'s extension names among the rows that have `what`.
template <typename Member>
const FileFormat* namedRow(const std::string& path, Member what) {
    for (const FileFormat& format : kFormats)
        if (!format.extension.empty() && format.*what &&
            hasExtension(path, std::string(format.extension)))
            return &format;
    return nullptr;
}

}  // namespace

std::span<const FileFormat> fileFormats() {
    return kFormats;
}

const FileFormat& listingFormat() {
    return kListing;
}

const FileFormat& saveFormatFor(const std::string& path) {
    const FileFormat* format = namedRow(path, &FileFormat::encode);
    return format ? *format : kListing;
}

const FileFormat* printFormatNamed(std::string_view name) {
    for (const FileFormat& format : kFormats)
        if (format.printable && format.extension == name) return &format;
    return nullptr;
}

std::size_t openReadSize() {
    std::size_t largest = 0;
    for (const FileFormat& format : kFormats)
        if (format.read && format.largestFile != kAnySize)
            largest = std::max(largest, format.largestFile);
    return largest + 1;
}

const FileFormat& openFormatFor(std::span<const std::uint8_t> bytes, const std::string& path) {
    const FileFormat* found = nullptr;
    for (const FileFormat& format : kFormats)
        if (!found && format.read && format.byContent && format.holds(bytes)) found = &format;
    const FileFormat* named = namedRow(path, &FileFormat::read);
    if (!found && named && !named->byContent && named->holds(bytes)) found = named;
    // A file named like a format it does not hold is taken as a damaged one.
    if (!found && named && named != &kBitmap) throw CommandFailure::unsupportedFormat();
    if (!found) found = &kBitmap;
    if (bytes.size() > found->largestFile) throw CommandFailure::unsupportedFormat();
    return *found;
}

}  // namespace vexa
