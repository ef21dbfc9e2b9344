// The FLTK window behind a top-level window of the program: the windows layer derives every
// top-level window from both Fl_Window and TopLevelWindow.
#pragma once

#include <FL/Fl_Window.H>

#include "platform/top_level_window.h"

namespace vexa {

inline Fl_Window& toolkitWindow(TopLevelWindow& window) {
    return dynamic_cast<Fl_Window&>(window);
}

}  // namespace vexa
