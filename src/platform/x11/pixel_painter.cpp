#include "platform/pixel_painter.h"

#include <FL/fl_draw.H>
#include <FL/x.H>

namespace vexa {
namespace {

// Fills on the current drawable; the caller restores FLTK's colour.
void fillRaw(int x, int y, int w, int h) {
    if (w > 0 && h > 0) XFillRectangle(fl_display, fl_window, fl_gc, x, y, w, h);
}

}  // namespace

void fillPixelRect(int x, int y, int w, int h, unsigned long pixel) {
    if (w <= 0 || h <= 0 || !fl_gc) return;
    XSetForeground(fl_display, fl_gc, pixel);
    fillRaw(x, y, w, h);
    fl_color(fl_color());
}

// The black of the colormap on screen, or its darkest entry: the frames stay black
// whichever colormap is installed.
unsigned long blackPixel() {
    return fl_xpixel(FL_BLACK);
}

void framePixelRect(int x, int y, int w, int h, unsigned long pixel) {
    if (w <= 0 || h <= 0 || !fl_gc) return;
    XSetForeground(fl_display, fl_gc, pixel);
    fillRaw(x, y, w, 1);                  // top
    fillRaw(x, y + h - 1, w, 1);          // bottom
    fillRaw(x, y + 1, 1, h - 2);          // left
    fillRaw(x + w - 1, y + 1, 1, h - 2);  // right
    fl_color(fl_color());
}

}  // namespace vexa
