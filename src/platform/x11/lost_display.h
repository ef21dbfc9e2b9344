// The end of a run whose X server went away: Xlib's I/O error handler runs `save` (which must
// not use the display), writes one line on standard error and exits with status 1. It never
// returns into Xlib.
#pragma once

#include <functional>

namespace vexa {

void onLostDisplay(std::function<void()> save);

}  // namespace vexa
