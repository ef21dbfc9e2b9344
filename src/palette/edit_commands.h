// The palettes of Copy and Clear, and what Copy puts on the clipboard.
//
// Copy's palette is a copy of the window's explicit palette record whose first entryCount
// entries are overwritten by the system palette as it is at that moment; entries the
// display does not report keep their copied values. Clear's palette has entryCount black
// entries with PC_NOCOLLAPSE, so that, realised in the foreground, every entry that
// programs may set becomes black while the static colours stay.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "base/palette_types.h"
#include "platform/clipboard.h"

namespace vexa {

class PaletteModel;

// Copy's palette, read from the display now. Throws ResourceUnavailable.
LogicalPalette copiedPalette(const PaletteModel& model);

// The clipboard forms of `copied`; `local` is the time the listing names (may be null).
ClipboardPalette clipboardForms(const LogicalPalette& copied, const std::tm* local);

// The clipboard forms of `copied`, the listing naming the local time now.
ClipboardPalette clipboardFormsNow(const LogicalPalette& copied);

// Clear's palette for a display of `entryCount` entries.
LogicalPalette clearedPalette(std::uint16_t entryCount);

// Realises Clear's palette through the model. Throws OutOfMemory or ResourceUnavailable.
void clearPalette(const PaletteModel& model);

}  // namespace vexa
