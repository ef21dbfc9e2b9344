#include "ui/palette_grid_view.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <new>
#include <utility>

#include "palette/palette_model.h"
#include "palette/pixel_readout.h"
#include "platform/message_box.h"
#include "platform/pixel_painter.h"
#include "ui/command_table.h"

namespace vexa {

PaletteGridView::PaletteGridView(int x, int y, int w, int h, const PaletteModel& model,
                                 Display& display, std::string restingTitle,
                                 const GridGeometry& grid)
    : Fl_Widget(x, y, w, h),
      model_(model),
      display_(display),
      restingTitle_(std::move(restingTitle)),
      grid_(grid) {
    box(FL_FLAT_BOX);
    color(FL_BACKGROUND_COLOR);
    grid_.layoutGrid(w, h);
}

void PaletteGridView::setShape(const GridShape& shape) {
    grid_.columns = shape.columns;
    grid_.rows = shape.rows;
    grid_.layoutGrid(w(), h());
    redraw();
}

void PaletteGridView::toggleBorder() {
    grid_.border = !grid_.border;
    redraw();
}

void PaletteGridView::resize(int x, int y, int width, int height) {
    const bool sized = width != w() || height != h();
    Fl_Widget::resize(x, y, width, height);
    if (!sized) return;
    grid_.layoutGrid(w(), h());
    redraw();
}

void PaletteGridView::draw() {
    draw_box();
    // A failure while painting is never shown: what was not drawn stays undrawn.
    try {
        const unsigned long black = blackPixel();
        for (const PaintStep& step : grid_.paintPlan(model_.entryCount())) {
            const Rect& r = step.rect;
            if (step.kind == PaintStep::Kind::fill)
                fillPixelRect(x() + r.left, y() + r.top, r.width(), r.height(),
                              static_cast<unsigned long>(step.index));
            else
                framePixelRect(x() + r.left, y() + r.top, r.width(), r.height(), black);
        }
    } catch (const CommandFailure&) {
    } catch (const std::bad_alloc&) {
    }
}

int PaletteGridView::handle(int event) {
    switch (event) {
        case FL_PUSH:
            if (Fl::event_button() != FL_LEFT_MOUSE) return 0;
            startInspection();
            return 1;
        case FL_DRAG:
            inspectPointer();
            return 1;
        case FL_RELEASE:
            if (Fl::event_button() == FL_LEFT_MOUSE)
                endInspection();
            else if (holdsCapture_)
                Fl::pushed(this);  // another button's release: the capture stays
            return 1;
        default:
            return Fl_Widget::handle(event);
    }
}

void PaletteGridView::keepCapture() {
    Fl::pushed(this);
}

void PaletteGridView::startInspection() {
    // The press takes the pointer: drags keep arriving wherever the pointer goes.
    Fl::pushed(this);
    holdsCapture_ = true;
    inspectPointer();
}

void PaletteGridView::inspectPointer() {
    if (!holdsCapture_ || Fl::pushed() != this) {
        // Taken away (by a menu, say): moves are ignored and the title keeps its readout.
        holdsCapture_ = false;
        return;
    }
    runReportingFailures(
        [&] {
            const int cx = Fl::event_x() - x();
            const int cy = Fl::event_y() - y();
            const bool inClient = cx >= 0 && cy >= 0 && cx < w() && cy < h();
            const int index = inClient ? grid_.hitTest(cx, cy) : -1;
            const ColorRef colour = display_.screenPixel(Fl::event_x_root(), Fl::event_y_root());
            const std::string text = formatReadout(restingTitle_, colour, index,
                                                   [&] { return model_.readSystemPalette(); });
            setTitleIfChanged(text);
        },
        [](const CommandFailure& failure) { showMessageBox(failure.message(), failure.icon()); });
}

void PaletteGridView::endInspection() {
    // A release without the capture changes nothing.
    if (!holdsCapture_) return;
    holdsCapture_ = false;
    setTitleIfChanged(restingTitle_);
}

void PaletteGridView::setTitleIfChanged(const std::string& text) {
    Fl_Window* top = window();
    if (!top) return;
    if (titleDiffers(top->label() ? top->label() : "", text)) top->copy_label(text.c_str());
}

}  // namespace vexa
