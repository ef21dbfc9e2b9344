// The installed palette followed through the X RECORD extension: the server hands over
// every request that can change what the installed colormap shows, from every client, and
// the end of every client, as they are carried out; no timer and no read while nothing
// happens.
#pragma once

#include <X11/Xlib.h>

#include <memory>

#include "platform/palette_events.h"

namespace vexa {

// Follows the installed palette of `control`'s default screen, a palette screen; `control`
// outlives the result and carries the reads. When the server has no RECORD extension or
// refuses it, says so on standard error and gives nullptr: the caller then reads the
// palette on a timer.
std::unique_ptr<PaletteEvents> recordPaletteEvents(Display* control);

}  // namespace vexa
