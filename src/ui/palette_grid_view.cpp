#include "ui/palette_grid_view.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <new>
#include <utility>

#include "palette/grid_raster.h"
#include "palette/palette_model.h"
#include "palette/pixel_readout.h"
#include "platform/display.h"
#include "platform/pixel_painter.h"
#include "ui/command_table.h"

namespace vexa {

PaletteGridView::PaletteGridView(int x, int y, int w, int h, const PaletteModel& model,
                                 DisplayDevice& display, std::string restingTitle,
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
    // The damaged part of the client area goes to the screen as one image of pixel values:
    // one request, where a fill per tile and frame would take hundreds.
    int X = 0, Y = 0, W = 0, H = 0;
    fl_clip_box(x(), y(), w(), h(), X, Y, W, H);
    if (W <= 0 || H <= 0) return;
    const Rect area{X - x(), Y - y(), X - x() + W, Y - y() + H};
    const std::size_t size = static_cast<std::size_t>(W) * H;
    // A failure while painting is never shown: what was not drawn stays undrawn.
    try {
        const std::vector<PaintStep> plan = grid_.paintPlan(model_.entryCount());
        const unsigned long background = interfaceColourPixel(Fl::box_color(color()));
        const unsigned long black = blackPixel();
        if (pixelsFitInBytes() && background <= 0xFF && black <= 0xFF) {
            std::vector<std::uint8_t>& pixels = bytePixels_;
            pixels.resize(size);
            rasterisePaintPlan<std::uint8_t>(plan, area, static_cast<std::uint8_t>(background),
                                             static_cast<std::uint8_t>(black), pixels.data());
            putPixelBlock(X, Y, W, H, pixels.data());
        } else {
            std::vector<std::uint32_t> pixels(size);
            rasterisePaintPlan<std::uint32_t>(plan, area, static_cast<std::uint32_t>(background),
                                              static_cast<std::uint32_t>(black), pixels.data());
            putPixelBlock(X, Y, W, H, pixels.data());
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
    runReportingFailures([&] {
        const int cx = Fl::event_x() - x();
        const int cy = Fl::event_y() - y();
        const bool inClient = cx >= 0 && cy >= 0 && cx < w() && cy < h();
        const int index = inClient ? grid_.hitTest(cx, cy) : -1;
        // Off the grid the colour is looked up in the palette, read with the pixel.
        const DisplayDevice::ScreenSample sample =
            display_.sampleScreen(Fl::event_x_root(), Fl::event_y_root(), index < 0);
        const std::string text =
            formatReadout(restingTitle_, sample.colour, index, [&] { return sample.palette; });
        setTitleIfChanged(text);
    });
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
