#include "base/recorded_requests.h"

#include <bit>

namespace vexa {
namespace {

constexpr std::size_t kHeader = 4;
constexpr std::size_t kStoreItem = 12;
constexpr std::uint8_t kDoRed = 1, kDoGreen = 2, kDoBlue = 4;

// Reads the request's fields in its client's byte order.
class RequestReader {
  public:
    RequestReader(std::span<const std::uint8_t> bytes, bool swapped)
        : bytes_(bytes), bigEndian_((std::endian::native == std::endian::big) != swapped) {}

    bool has(std::size_t offset, std::size_t size) const {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }
    std::uint8_t u8(std::size_t offset) const { return bytes_[offset]; }
    std::uint16_t u16(std::size_t offset) const {
        const unsigned a = bytes_[offset], b = bytes_[offset + 1];
        return static_cast<std::uint16_t>(bigEndian_ ? a << 8 | b : b << 8 | a);
    }
    std::uint32_t u32(std::size_t offset) const {
        const std::uint32_t high = u16(offset), low = u16(offset + 2);
        return bigEndian_ ? high << 16 | low : low << 16 | high;
    }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

  private:
    std::span<const std::uint8_t> bytes_;
    bool bigEndian_;
};

bool knownOpcode(std::uint8_t opcode) {
    switch (static_cast<RecordedOpcode>(opcode)) {
        case RecordedOpcode::createColormap:
        case RecordedOpcode::freeColormap:
        case RecordedOpcode::installColormap:
        case RecordedOpcode::uninstallColormap:
        case RecordedOpcode::allocColor:
        case RecordedOpcode::allocNamedColor:
        case RecordedOpcode::storeColors:
        case RecordedOpcode::storeNamedColor:
        case RecordedOpcode::queryColors:
            return true;
    }
    return false;
}

std::uint8_t eightBits(std::uint16_t channel) {
    return static_cast<std::uint8_t>(channel >> 8);
}

// The fields of a known request whose fields after the header are `body`.
std::optional<RecordedRequest> decodeBody(const RequestReader& whole, const RequestReader& body) {
    if (!body.has(0, 4)) return std::nullopt;
    RecordedRequest request;
    request.opcode = static_cast<RecordedOpcode>(whole.u8(0));
    const std::uint8_t data = whole.u8(1);
    request.colormap = body.u32(0);
    switch (request.opcode) {
        case RecordedOpcode::storeColors:
            for (std::size_t at = 4; body.has(at, kStoreItem); at += kStoreItem) {
                const std::uint8_t flags = body.u8(at + 10);
                request.colours.push_back({body.u32(at), body.u16(at + 4), body.u16(at + 6),
                                           body.u16(at + 8), (flags & kDoRed) != 0,
                                           (flags & kDoGreen) != 0, (flags & kDoBlue) != 0});
            }
            break;
        case RecordedOpcode::storeNamedColor:
        case RecordedOpcode::allocNamedColor: {
            const bool store = request.opcode == RecordedOpcode::storeNamedColor;
            const std::size_t lengthAt = store ? 8 : 4;
            if (!body.has(lengthAt, 4)) return std::nullopt;
            const std::size_t length = body.u16(lengthAt);
            if (!body.has(lengthAt + 4, length)) return std::nullopt;
            const auto name = body.bytes().subspan(lengthAt + 4, length);
            request.name.assign(name.begin(), name.end());
            if (store)
                request.colours.push_back({body.u32(4), 0, 0, 0, (data & kDoRed) != 0,
                                           (data & kDoGreen) != 0, (data & kDoBlue) != 0});
            break;
        }
        default:
            break;
    }
    return request;
}

}  // namespace

std::vector<RecordedRequest> decodeRecordedRequests(std::span<const std::uint8_t> bytes,
                                                    bool swapped) {
    std::vector<RecordedRequest> requests;
    while (!bytes.empty()) {
        const RequestReader whole(bytes, swapped);
        if (!whole.has(0, kHeader)) break;
        // A length of 0 announces a big request: the real length follows the header.
        std::size_t units = whole.u16(2);
        std::size_t header = kHeader;
        if (units == 0) {
            if (!whole.has(kHeader, 4)) break;
            units = whole.u32(kHeader);
            header += 4;
        }
        if (units * 4 < header || units > bytes.size() / 4) break;
        if (knownOpcode(whole.u8(0))) {
            const RequestReader body(bytes.subspan(header, units * 4 - header), swapped);
            if (auto request = decodeBody(whole, body)) requests.push_back(std::move(*request));
        }
        bytes = bytes.subspan(units * 4);
    }
    return requests;
}

bool applyStoredColours(SystemPaletteSnapshot& palette, std::span<const StoredColour> colours) {
    bool changed = false;
    for (const StoredColour& colour : colours) {
        if (colour.pixel >= static_cast<std::uint32_t>(palette.count) ||
            colour.pixel >= kMaxPaletteEntries)
            continue;
        PaletteEntry& entry = palette.entries[colour.pixel];
        const PaletteEntry before = entry;
        if (colour.doRed) entry.red = eightBits(colour.red);
        if (colour.doGreen) entry.green = eightBits(colour.green);
        if (colour.doBlue) entry.blue = eightBits(colour.blue);
        changed = changed || !(entry == before);
    }
    return changed;
}

}  // namespace vexa
