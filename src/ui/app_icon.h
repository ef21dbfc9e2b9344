// The program's icon 1000 as FLTK images: the window icon of every Vexa window (through
// _NET_WM_ICON, which works on any visual) and the picture in the About window.
#pragma once

class Fl_RGB_Image;
class Fl_Window;

namespace vexa {

// The icon at 32 or 16 pixels with its transparency; null for other sizes. Decoded once.
const Fl_RGB_Image* appIconImage(int size);

// The 32-pixel icon drawn over the dialog background colour, for windows that show it.
const Fl_RGB_Image* appIconOnBackground();

// Gives `window` both icon sizes. Call before the window is shown.
void setAppIcons(Fl_Window& window);

// Makes both icon sizes the default of every FLTK window shown from now on.
void installDefaultAppIcons();

}  // namespace vexa
