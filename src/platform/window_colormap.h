// What every window of the program does before it is shown: it takes the colormap the
// screen shows at that moment, so showing it (and a window manager installing its colormap
// when the pointer enters it) never changes the colours on the screen. The desktop's own
// colormap, installed for a moment as the pointer crosses the desktop or a menu, is not
// taken while the program's windows carry another: the new window takes theirs.
#pragma once

namespace vexa {

void prepareWindowColormap();

}  // namespace vexa
