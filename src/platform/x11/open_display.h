// The program's connection to the X server, shared by FLTK and Vexa's own X11 services.
#pragma once

#include <X11/Xlib.h>

namespace vexa {

// Opens the display that DISPLAY names and hands it to FLTK. When it cannot be opened, says
// so on standard error (no window can show a message without a display) and gives null.
// FLTK's own warnings and errors, and an X error that nothing traps, go to standard error
// after "vexa: " as the program's other messages do; the run goes on.
::Display* openDisplay();

}  // namespace vexa
