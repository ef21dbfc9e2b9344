#include "palette/palette_bitmap.h"

#include <new>

#include "base/command_failure.h"
#include "base/file_io.h"
#include "palette/palette_model.h"

namespace vexa {
namespace {

constexpr int kImageWidth = 256;
constexpr int kImageHeight = 32;
constexpr std::size_t kBitsPerPixelOffset = kBitmapFileHeaderSize + 14;

void put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

std::uint16_t get16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

}  // namespace

std::vector<std::uint8_t> buildPaletteImage(const SystemPaletteSnapshot& snapshot) {
    std::vector<std::uint8_t> out;
    out.reserve(kPaletteImageSize);

    // File header.
    out.push_back('B');
    out.push_back('M');
    put32(out, static_cast<std::uint32_t>(kPaletteImageSize));
    put16(out, 0);
    put16(out, 0);
    put32(out, static_cast<std::uint32_t>(kPixelDataOffset));

    // Information header: 256 x 32, bottom-up, 8 bits per pixel, uncompressed, all
    // colours used; sizes and resolutions left 0.
    put32(out, static_cast<std::uint32_t>(kBitmapInfoHeaderSize));
    put32(out, kImageWidth);
    put32(out, kImageHeight);
    put16(out, 1);
    put16(out, 8);
    for (int field = 0; field < 6; ++field) put32(out, 0);

    for (const PaletteEntry& e : snapshot.entries) {
        out.push_back(e.blue);
        out.push_back(e.green);
        out.push_back(e.red);
        out.push_back(0);
    }

    // Every row shows every index once; rows need no padding at 256 bytes.
    for (int row = 0; row < kImageHeight; ++row)
        for (int x = 0; x < kImageWidth; ++x) out.push_back(static_cast<std::uint8_t>(x));
    return out;
}

BitmapColourTable readBitmapColourTable(std::span<const std::uint8_t> fileStart) {
    if (fileStart.size() < kBitmapFileHeaderSize || fileStart[0] != 'B' || fileStart[1] != 'M')
        throw CommandFailure(FileErrorKind::generalError, std::nullopt);
    if (fileStart.size() < kBitmapFileHeaderSize + kBitmapInfoHeaderSize)
        throw CommandFailure::unsupportedFormat();
    if (get16(fileStart, kBitsPerPixelOffset) != 8) throw CommandFailure::unsupportedFormat();
    if (fileStart.size() < kPixelDataOffset) throw CommandFailure::unsupportedFormat();

    BitmapColourTable table;
    const std::size_t base = kBitmapFileHeaderSize + kBitmapInfoHeaderSize;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::size_t at = base + 4 * i;
        table[i] = RgbQuad{fileStart[at], fileStart[at + 1], fileStart[at + 2], fileStart[at + 3]};
    }
    return table;
}

LogicalPalette buildLoadedPalette(const BitmapColourTable& table,
                                  const SystemPaletteSnapshot& snapshot) {
    LogicalPalette palette{};
    palette.version = kPaletteVersion;
    palette.count = kMaxPaletteEntries;
    palette.entries = snapshot.entries;
    for (int i = kFirstLoadedEntry; i <= kLastLoadedEntry; ++i) {
        const RgbQuad& q = table[i];
        palette.entries[i] = PaletteEntry{q.red, q.green, q.blue, PC_NOCOLLAPSE};
    }
    return palette;
}

void writePaletteBitmap(const std::string& path, const PaletteModel& model) {
    SaveFile file(path);
    const SystemPaletteSnapshot snapshot = model.readSystemPalette();
    std::vector<std::uint8_t> image;
    try {
        image = buildPaletteImage(snapshot);
    } catch (const std::bad_alloc&) {
        throw CommandFailure::outOfMemory();
    }
    file.write(image);
    file.commit();
}

void loadPaletteBitmap(const std::string& path, const PaletteModel& model) {
    const BitmapColourTable table = readBitmapColourTable(readFileStart(path, kPixelDataOffset));
    const LogicalPalette palette = buildLoadedPalette(table, model.readSystemPalette());
    const std::unique_ptr<PaletteObject> object = model.createPalette(palette);
    model.applyPalette(*object);
}

}  // namespace vexa
