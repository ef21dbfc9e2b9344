// The client area of the palette window: a grid of one tile per palette index, painted
// with raw pixel values so that every tile shows the installed colour of its index, live.
// A left press on it takes the mouse capture and starts the pixel readout: while the button
// is held, the window title names the colour under the pointer anywhere on the screen and
// the index it has in the system palette; the release puts the resting title back.
#pragma once

#include <FL/Fl_Widget.H>

#include <cstdint>
#include <string>
#include <vector>

#include "palette/grid_geometry.h"

namespace vexa {

class DisplayDevice;
class PaletteModel;

class PaletteGridView : public Fl_Widget {
  public:
    // `restingTitle` is the window title outside a readout.
    PaletteGridView(int x, int y, int w, int h, const PaletteModel& model, DisplayDevice& display,
                    std::string restingTitle, const GridGeometry& grid);

    const GridGeometry& grid() const { return grid_; }
    // The View commands: a new shape or the border switched, laid out and redrawn.
    void setShape(const GridShape& shape);
    void toggleBorder();

    // True while a readout holds the capture. A press of another button meanwhile, anywhere
    // in the window, must hand the capture back here (keepCapture) so the drag goes on.
    bool holdsCapture() const { return holdsCapture_; }
    void keepCapture();

    void draw() override;
    int handle(int event) override;
    void resize(int x, int y, int w, int h) override;

  private:
    void startInspection();
    void inspectPointer();
    void endInspection();
    void setTitleIfChanged(const std::string& text);

    const PaletteModel& model_;
    DisplayDevice& display_;
    std::string restingTitle_;
    GridGeometry grid_;
    // Taken by a left press on the grid and given up by the left release. Pressing or
    // releasing another button meanwhile neither takes nor ends it; FLTK would otherwise hand
    // its pushed widget to that button.
    bool holdsCapture_ = false;
    // The last repaint's pixels, kept so that a repaint does not allocate.
    std::vector<std::uint8_t> bytePixels_;
};

}  // namespace vexa
