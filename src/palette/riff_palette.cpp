#include "palette/riff_palette.h"

#include <cstring>

#include "base/command_failure.h"

namespace vexa {
namespace {

constexpr std::size_t kFormHeader = 12;   // "RIFF", size, "PAL "
constexpr std::size_t kChunkHeader = 8;   // id, size
constexpr std::size_t kRecordHeader = 4;  // version, count

[[noreturn]] void refuse() {
    throw CommandFailure::unsupportedFormat();
}

std::uint32_t littleEndian16(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | std::uint32_t{b[at + 1]} << 8;
}

std::uint32_t littleEndian32(std::span<const std::uint8_t> b, std::size_t at) {
    return littleEndian16(b, at) | littleEndian16(b, at + 2) << 16;
}

BitmapColourTable readRecord(std::span<const std::uint8_t> record) {
    if (record.size() < kRecordHeader) refuse();
    const std::uint32_t version = littleEndian16(record, 0), count = littleEndian16(record, 2);
    if (version != kPaletteVersion || count < 1 || count > kMaxPaletteEntries ||
        record.size() != kRecordHeader + 4 * count)
        refuse();
    BitmapColourTable table;
    table.count = static_cast<int>(count);
    for (std::size_t i = 0, at = kRecordHeader; i < count; ++i, at += 4)
        table.entries[i] = RgbQuad{record[at + 2], record[at + 1], record[at], 0};
    return table;
}

}  // namespace

bool isRiffPalette(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kFormHeader && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
           std::memcmp(bytes.data() + 8, "PAL ", 4) == 0;
}

BitmapColourTable readRiffPalette(std::span<const std::uint8_t> bytes) {
    if (!isRiffPalette(bytes) || littleEndian32(bytes, 4) != bytes.size() - 8) refuse();
    for (std::size_t at = kFormHeader; at < bytes.size();) {
        if (bytes.size() - at < kChunkHeader) refuse();
        const std::uint32_t size = littleEndian32(bytes, at + 4);
        if (size > bytes.size() - at - kChunkHeader) refuse();
        if (std::memcmp(bytes.data() + at, "data", 4) == 0)
            return readRecord(bytes.subspan(at + kChunkHeader, size));
        at += kChunkHeader + size + (size & 1);  // a chunk of odd size is padded
    }
    refuse();
}

}  // namespace vexa
