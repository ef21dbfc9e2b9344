// Puts a text on a shown window as a string property of the window system, so that tools
// outside the program (tests, screen readers' helpers) can read what the window says.
#pragma once

#include <string>

#include "platform/top_level_window.h"

namespace vexa {

// Sets the window's property `property` to `text`; does nothing when it is not shown.
void publishWindowText(TopLevelWindow& window, const char* property, const std::string& text);

}  // namespace vexa
