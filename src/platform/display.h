// The display services the palette model needs: probing the screen, reading the
// hardware palette, realising a logical palette and reading a screen pixel.
// The X11 implementation lives in platform/x11; unit tests hand the logic a fake.
#pragma once

#include <memory>

#include "base/palette_types.h"
#include "platform/palette_events.h"

namespace vexa {

// An information context on the display; released when destroyed.
class DisplayInfo {
  public:
    virtual ~DisplayInfo() = default;
    // True when the screen shows colours through a hardware palette.
    virtual bool paletteBased() const = 0;
    // Number of hardware palette entries the screen reports.
    virtual int paletteSize() const = 0;
};

// A logical palette made ready for realisation; released when destroyed.
class PaletteObject {
  public:
    virtual ~PaletteObject() = default;
};

// The display as the palette model and the readout see it.
class DisplayDevice {
  public:
    virtual ~DisplayDevice() = default;

    // An information context, or nullptr when the display cannot be queried.
    virtual std::unique_ptr<DisplayInfo> openInfo() = 0;

    // Copies up to `count` entries of the installed hardware palette from index `start`
    // into `out` and returns how many it copied: 0 when the screen has no palette.
    // Throws CommandFailure (ResourceUnavailable) when the screen cannot be reached.
    virtual int readSystemPaletteEntries(int start, int count, PaletteEntry* out) = 0;

    // A palette object for the first `palette.count` entries, or nullptr when none can be made.
    virtual std::unique_ptr<PaletteObject> createPalette(const LogicalPalette& palette) = 0;

    // Loads the palette into the hardware palette as the foreground palette. The static
    // entries (the first and last ten of a 256-entry palette) keep their colours.
    // Throws CommandFailure (ResourceUnavailable) when the screen cannot be reached.
    virtual void realisePalette(const PaletteObject& palette) = 0;

    // The colour of the screen pixel at (x, y) in root coordinates.
    // Throws CommandFailure (ResourceUnavailable) when the screen cannot be reached.
    virtual ColorRef screenPixel(int x, int y) = 0;

    // What the pixel readout needs for one pointer position: the colour of the screen pixel
    // at (x, y) and, with `withPalette`, the system palette of the same moment (as
    // readSystemPaletteEntries(0, 256) gives it); without, the palette's count is 0.
    // Throws CommandFailure (ResourceUnavailable) when the screen cannot be reached.
    struct ScreenSample {
        ColorRef colour = 0;
        SystemPaletteSnapshot palette;
    };
    virtual ScreenSample sampleScreen(int x, int y, bool withPalette);

    // The installed palette's changes as the display tells of them, or nullptr when it
    // cannot tell (they are then found by reading the palette again).
    virtual std::unique_ptr<PaletteEvents> followPaletteEvents() { return nullptr; }
};

}  // namespace vexa
