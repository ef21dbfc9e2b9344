// Menu 1000 of the palette window as one FLTK item table. Every item carries its command
// id as user data; choosing it calls the window's onCommand. No item is ever checked,
// greyed or updated.
#pragma once

#include <FL/Fl_Menu_Item.H>

namespace vexa {

const Fl_Menu_Item* paletteMenu();

}  // namespace vexa
