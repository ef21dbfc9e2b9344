// The one small modal window behind message boxes, questions and notices: a symbol, a
// wrapped text and one or two buttons, centred on the screen. The window carries its text
// in the STRING property VEXA_MESSAGE_TEXT so that tools outside the program can read it.
#pragma once

#include <FL/Enumerations.H>

#include <string>

namespace vexa {

struct MessageSymbol {
    const char* text;
    Fl_Boxtype box;
    Fl_Color color;
    Fl_Color labelColor;
};

// Runs the window until a button, Esc or the close box ends it; true when the first button,
// the default one, was pressed. `second` may be null for a window with one button.
bool runMessageWindow(const std::string& caption, const std::string& text,
                      const MessageSymbol& symbol, const char* first, const char* second);

}  // namespace vexa
