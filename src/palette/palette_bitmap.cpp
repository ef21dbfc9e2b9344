#include "palette/palette_bitmap.h"

#include "base/command_failure.h"

namespace vexa {
namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::size_t kBitMasksSize = 12;

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

std::uint32_t get32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return get16(bytes, at) | (std::uint32_t{get16(bytes, at + 2)} << 16);
}

// The header sizes whose layout is known: the core header, the OS/2 2.x headers (of any
// length up to 64, fields missing at the end) with the Windows 40, 52 and 56 among them,
// and the Windows V4 and V5 headers.
bool knownHeaderSize(std::uint32_t size) {
    return size == kCoreHeaderSize || (size >= 16 && size <= 64) || size == 108 || size == 124;
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
    put32(out, kPaletteImageWidth);
    put32(out, kPaletteImageHeight);
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
    for (int row = 0; row < kPaletteImageHeight; ++row)
        for (int x = 0; x < kPaletteImageWidth; ++x) out.push_back(static_cast<std::uint8_t>(x));
    return out;
}

BitmapColourTable readBitmapColourTable(std::span<const std::uint8_t> fileStart) {
    if (fileStart.size() < kBitmapFileHeaderSize || fileStart[0] != 'B' || fileStart[1] != 'M')
        throw CommandFailure(FileErrorKind::generalError, std::nullopt);
    if (fileStart.size() < kBitmapFileHeaderSize + 4) throw CommandFailure::unsupportedFormat();
    const std::uint32_t headerSize = get32(fileStart, kBitmapFileHeaderSize);
    if (!knownHeaderSize(headerSize)) throw CommandFailure::unsupportedFormat();
    const std::size_t headerEnd = kBitmapFileHeaderSize + headerSize;
    if (fileStart.size() < headerEnd) throw CommandFailure::unsupportedFormat();

    const bool core = headerSize == kCoreHeaderSize;
    if (get16(fileStart, core ? 24 : 28) != 8) throw CommandFailure::unsupportedFormat();
    // A field that a short OS/2 2.x header leaves out counts as 0.
    auto field = [&](std::size_t at) { return at + 4 <= headerEnd ? get32(fileStart, at) : 0u; };
    const std::uint32_t coloursUsed = core ? 0 : field(46);
    std::size_t at = headerEnd;
    if (headerSize == kBitmapInfoHeaderSize && field(30) == kBiBitfields) at += kBitMasksSize;

    BitmapColourTable table;
    table.count = coloursUsed == 0 || coloursUsed > 256 ? 256 : static_cast<int>(coloursUsed);
    const std::size_t entrySize = core ? 3 : 4;
    if (fileStart.size() < at + table.count * entrySize) throw CommandFailure::unsupportedFormat();
    for (int i = 0; i < table.count; ++i, at += entrySize)
        table.entries[i] = RgbQuad{fileStart[at], fileStart[at + 1], fileStart[at + 2],
                                   core ? std::uint8_t{0} : fileStart[at + 3]};
    return table;
}

LogicalPalette buildLoadedPalette(const BitmapColourTable& table,
                                  const SystemPaletteSnapshot& snapshot) {
    LogicalPalette palette{};
    palette.version = kPaletteVersion;
    palette.count = kMaxPaletteEntries;
    palette.entries = snapshot.entries;
    // Entries past the end of a short table keep the snapshot's colour, as the statics do.
    for (int i = kFirstLoadedEntry; i <= kLastLoadedEntry && i < table.count; ++i) {
        const RgbQuad& q = table.entries[i];
        palette.entries[i] = PaletteEntry{q.red, q.green, q.blue, PC_NOCOLLAPSE};
    }
    return palette;
}

}  // namespace vexa
