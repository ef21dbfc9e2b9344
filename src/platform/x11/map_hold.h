// FLTK creates a top-level window and maps it in one call (Fl_Window::show), so nothing
// can be done between the two: not placing the window where it belongs, not setting the
// hints a window manager reads when it takes the window in. While a MapHold lives, the
// program's requests to map a window are held back; when it ends they are sent, so the
// window appears once, already placed, sized and hinted.
#pragma once

namespace vexa {

class MapHold {
  public:
    MapHold();
    ~MapHold();
    MapHold(const MapHold&) = delete;
    MapHold& operator=(const MapHold&) = delete;
};

}  // namespace vexa
