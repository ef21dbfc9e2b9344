#include "ui/fltk_preferences.h"

#include <FL/Fl.H>

namespace vexa {

void readFltkOptionsWithoutUserFile() {
    // The first question about an option reads the system and the user file and keeps the
    // answers; later questions never open the files again.
    withoutFltkUserPreferences([] { return Fl::option(Fl::OPTION_VISIBLE_FOCUS); });
}

}  // namespace vexa
