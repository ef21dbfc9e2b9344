// The palette window's model of the display's hardware palette: the number of hardware
// entries, the explicit palette whose entry i names hardware index i (so anything drawn
// through it shows the live colour of index i), fresh reads of the system palette and the
// realisation of a palette the caller built. Nothing is cached: every read asks the display.
#pragma once

#include <cstdint>
#include <memory>

#include "base/command_failure.h"
#include "base/palette_types.h"
#include "platform/display.h"

namespace vexa {

// The failures of building the model. ResourceUnavailable and OutOfMemory are those
// categories; NotPaletteDevice travels as a SilentFailure that only start-up turns into
// its own message, so start-up catches this type and asks notPaletteDevice().
class PaletteModelError : public CommandFailure {
  public:
    enum class Reason { ResourceUnavailable, NotPaletteDevice, OutOfMemory };

    explicit PaletteModelError(Reason reason);

    Reason reason() const { return reason_; }
    bool notPaletteDevice() const { return reason_ == Reason::NotPaletteDevice; }

  private:
    Reason reason_;
};

// The logical palette record (entry i names hardware index i) and the palette object made
// from it.
struct ExplicitPalette {
    LogicalPalette record;
    std::unique_ptr<PaletteObject> object;
};

class PaletteModel {
  public:
    // Probes the display and builds the explicit palette; throws PaletteModelError.
    explicit PaletteModel(DisplayDevice& display);

    PaletteModel(const PaletteModel&) = delete;
    PaletteModel& operator=(const PaletteModel&) = delete;

    // Number of hardware palette entries, 1 to 256; fixed for the model's life.
    std::uint16_t entryCount() const { return entryCount_; }
    const ExplicitPalette& explicitPalette() const { return explicit_; }

    // The first `n` entries of the installed hardware palette (0 to 256); all 256 entries
    // are zeroed first, `count` is what the display returned. Throws ResourceUnavailable
    // when the screen cannot be reached.
    SystemPaletteSnapshot readSystemPalette(int n = kMaxPaletteEntries) const;

    // A palette object for `palette`; throws OutOfMemory when none can be made.
    std::unique_ptr<PaletteObject> createPalette(const LogicalPalette& palette) const;

    // Makes `palette` the system palette (foreground realisation). The caller keeps the
    // object. Throws ResourceUnavailable when the screen cannot be reached.
    void applyPalette(const PaletteObject& palette) const;

    // The display's own account of the installed palette's changes, or nullptr when it
    // gives none.
    std::unique_ptr<PaletteEvents> followPaletteEvents() const {
        return display_.followPaletteEvents();
    }

  private:
    DisplayDevice& display_;
    std::uint16_t entryCount_ = 0;
    ExplicitPalette explicit_;
};

// The explicit palette record for `entryCount` entries (at most 256): version 0x300, entry
// i = (i & 0xFF, i >> 8, 0, PC_EXPLICIT), every other byte zero.
LogicalPalette buildExplicitPaletteRecord(std::uint16_t entryCount);

}  // namespace vexa
