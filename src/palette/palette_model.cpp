#include "palette/palette_model.h"

#include <algorithm>

namespace vexa {
namespace {

FailureCategory categoryOf(PaletteModelError::Reason reason) {
    switch (reason) {
        case PaletteModelError::Reason::ResourceUnavailable:
            return FailureCategory::ResourceUnavailable;
        case PaletteModelError::Reason::OutOfMemory:
            return FailureCategory::OutOfMemory;
        case PaletteModelError::Reason::NotPaletteDevice:
            break;
    }
    return FailureCategory::SilentFailure;
}

// The display's palette size as the model keeps it. The record holds 256 entries, so a
// larger hardware palette (a deeper PseudoColor visual) is limited to its first 256
// entries rather than written past the record's end.
std::uint16_t usableEntryCount(const DisplayInfo& info) {
    if (!info.paletteBased()) return 0;
    return static_cast<std::uint16_t>(std::clamp(info.paletteSize(), 0, kMaxPaletteEntries));
}

}  // namespace

PaletteModelError::PaletteModelError(Reason reason)
    : CommandFailure(categoryOf(reason)), reason_(reason) {}

LogicalPalette buildExplicitPaletteRecord(std::uint16_t entryCount) {
    LogicalPalette record{};
    record.version = kPaletteVersion;
    record.count = entryCount;
    const int n = std::min<int>(entryCount, kMaxPaletteEntries);
    for (int i = 0; i < n; ++i) {
        record.entries[i] = PaletteEntry{static_cast<std::uint8_t>(i & 0xFF),
                                         static_cast<std::uint8_t>(i >> 8), 0, PC_EXPLICIT};
    }
    return record;
}

PaletteModel::PaletteModel(DisplayDevice& display) : display_(display) {
    // The information context is released when `info` goes out of scope, on every path.
    std::unique_ptr<DisplayInfo> info = display_.openInfo();
    if (!info) throw PaletteModelError(PaletteModelError::Reason::ResourceUnavailable);
    entryCount_ = usableEntryCount(*info);
    explicit_.record = buildExplicitPaletteRecord(entryCount_);
    if (entryCount_ == 0) throw PaletteModelError(PaletteModelError::Reason::NotPaletteDevice);
    explicit_.object = display_.createPalette(explicit_.record);
    if (!explicit_.object) throw PaletteModelError(PaletteModelError::Reason::OutOfMemory);
}

SystemPaletteSnapshot PaletteModel::readSystemPalette(int n) const {
    SystemPaletteSnapshot snapshot{};
    n = std::clamp(n, 0, kMaxPaletteEntries);
    const int got = display_.readSystemPaletteEntries(0, n, snapshot.entries.data());
    snapshot.count = std::clamp(got, 0, n);
    return snapshot;
}

std::unique_ptr<PaletteObject> PaletteModel::createPalette(const LogicalPalette& palette) const {
    std::unique_ptr<PaletteObject> object = display_.createPalette(palette);
    if (!object) throw CommandFailure::outOfMemory();
    return object;
}

void PaletteModel::applyPalette(const PaletteObject& palette) const {
    display_.realisePalette(palette);
}

}  // namespace vexa
