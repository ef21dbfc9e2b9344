// The client area of the palette window: painting the grid with raw pixel values, and the
// pixel readout that runs while the left button is held after a press on it.
#include <FL/Fl.H>
#include <FL/x.H>

#include "app/palette_app.h"
#include "palette_window/palette_window.h"
#include "palette_window/pixel_readout.h"
#include "platform/message_box.h"
#include "platform/x11/pixel_painter.h"

namespace vexa {

PaletteGridView::PaletteGridView(PaletteWindow& owner, int x, int y, int w, int h)
    : Fl_Widget(x, y, w, h), owner_(owner) {
    box(FL_FLAT_BOX);
    color(FL_BACKGROUND_COLOR);
}

void PaletteGridView::draw() {
    draw_box();
    owner_.paintGrid();
}

int PaletteGridView::handle(int event) {
    switch (event) {
        case FL_PUSH:
            if (Fl::event_button() != FL_LEFT_MOUSE) return 0;
            owner_.startInspection();
            return 1;
        case FL_DRAG:
            owner_.inspectPointer();
            return 1;
        case FL_RELEASE:
            if (Fl::event_button() == FL_LEFT_MOUSE)
                owner_.endInspection();
            else if (owner_.holdsCapture_)
                Fl::pushed(this);  // another button's release: the capture stays
            return 1;
        default:
            return Fl_Widget::handle(event);
    }
}

void PaletteWindow::paintGrid() {
    // A failure while painting is never shown: what was not drawn stays undrawn.
    try {
        const int dx = gridView_.x();
        const int dy = gridView_.y();
        // The black of the colormap on screen, or its darkest entry: the frames stay black
        // whichever colormap is installed.
        const unsigned long black = fl_xpixel(FL_BLACK);
        for (const PaintStep& step : grid_.paintPlan(model_->entryCount())) {
            const Rect& r = step.rect;
            if (step.kind == PaintStep::Kind::fill)
                fillPixelRect(dx + r.left, dy + r.top, r.width(), r.height(),
                              static_cast<unsigned long>(step.index));
            else
                framePixelRect(dx + r.left, dy + r.top, r.width(), r.height(), black);
        }
    } catch (const CommandFailure&) {
    } catch (const std::bad_alloc&) {
    }
}

void PaletteWindow::startInspection() {
    // The press takes the pointer: drags keep arriving wherever the pointer goes.
    Fl::pushed(&gridView_);
    holdsCapture_ = true;
    inspectPointer();
}

void PaletteWindow::inspectPointer() {
    if (!holdsCapture_ || Fl::pushed() != &gridView_) {
        // Taken away (by a menu, say): moves are ignored and the title keeps its readout.
        holdsCapture_ = false;
        return;
    }
    runReportingFailures(
        [&] {
            const int cx = Fl::event_x() - gridView_.x();
            const int cy = Fl::event_y() - gridView_.y();
            const bool inClient = cx >= 0 && cy >= 0 && cx < gridView_.w() && cy < gridView_.h();
            const int index = inClient ? grid_.hitTest(cx, cy) : -1;
            const ColorRef colour = display_.screenPixel(Fl::event_x_root(), Fl::event_y_root());
            const std::string text = formatReadout(app_.appName(), colour, index,
                                                   [&] { return model_->readSystemPalette(); });
            setTitleIfChanged(text);
        },
        [](const CommandFailure& failure) { showMessageBox(failure.message(), failure.icon()); });
}

void PaletteWindow::endInspection() {
    // A release without the capture changes nothing.
    if (!holdsCapture_) return;
    holdsCapture_ = false;
    setTitleIfChanged(app_.appName());
}

void PaletteWindow::setTitleIfChanged(const std::string& text) {
    if (titleDiffers(label() ? label() : "", text)) copy_label(text.c_str());
}

}  // namespace vexa
