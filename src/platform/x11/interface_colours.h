// Keeps the program's own drawing readable whatever colormap is installed. FLTK draws its
// interface colours (text, menus, dialogs, the grid's frames) with pixel values allocated in
// the default colormap; under another colormap those pixels show that colormap's colours,
// black on black as often as not. Matching points every FLTK colour index at the nearest
// entry of the installed colormap instead, and gives FLTK its own allocations back when the
// default colormap returns.
#pragma once

#include <X11/Xlib.h>

namespace vexa {

// Matches FLTK's colours to `installed` (None: nothing changes). True when a pixel that
// FLTK draws with changed, so that shown windows need a redraw.
bool matchInterfaceColours(Display* connection, Colormap installed);

// Makes FLTK's text, on FLTK's connection, draw through the core protocol, in the pixels of
// the matched colours.
// On a palette-based screen the Render extension blends anti-aliased text in its own colour
// cube, and FLTK's labels then stand in dark boxes; core text is drawn cleanly.
void useCoreTextOnPaletteScreens();

}  // namespace vexa
