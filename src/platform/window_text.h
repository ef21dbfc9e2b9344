// Puts a text on a shown window as an X STRING property, so that tools outside the program
// (tests, screen readers' helpers) can read what the window says.
#pragma once

#include <string>

class Fl_Window;

namespace vexa {

// Sets `property` on the window's X window to `text`; does nothing when it is not shown.
void publishWindowText(Fl_Window& window, const char* property, const std::string& text);

}  // namespace vexa
