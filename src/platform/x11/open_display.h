// The program's connection to the X server, shared by FLTK and Vexa's own X11 services.
#pragma once

#include <memory>

#include "platform/x11/x11_display.h"

namespace vexa {

// Opens the display that DISPLAY names, hands it to FLTK and gives the display services on
// it. When it cannot be opened, says so on standard error (no window can show a message
// without a display) and gives null. FLTK's own warnings and errors, and an X error that
// nothing traps, go to standard error as the program's other messages do;
// the run goes on.
std::unique_ptr<X11Display> openDisplay();

}  // namespace vexa
