// What every window of the program does before it is shown: it takes the colormap the
// screen shows at that moment, so showing it (and a window manager installing its colormap
// when the pointer enters it) never changes the colours on the screen.
#pragma once

namespace vexa {

void prepareWindowColormap();

}  // namespace vexa
