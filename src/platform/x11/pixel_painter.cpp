#include "platform/pixel_painter.h"

#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xutil.h>

#include <cstdlib>

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

namespace vexa {
namespace {

int bitsPerPixel(int depth) {
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(fl_display, &count);
    int bits = 0;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
    if (formats) XFree(formats);
    return bits;
}

}  // namespace

unsigned long fltkColourPixel(unsigned int colour) {
    return fl_xpixel(static_cast<Fl_Color>(colour));
}

bool pixelsFitInBytes() {
    static const int bits = bitsPerPixel(fl_visual->depth);
    return bits == 8;
}

void putPixelBlock(int x, int y, int w, int h, const std::uint8_t* pixels) {
    if (w <= 0 || h <= 0 || !fl_gc) return;
    // The image only borrows the caller's bytes: no copy, and none freed with it.
    XImage* image =
        XCreateImage(fl_display, fl_visual->visual, fl_visual->depth, ZPixmap, 0,
                     reinterpret_cast<char*>(const_cast<std::uint8_t*>(pixels)), w, h, 8, w);
    if (!image) return;
    XPutImage(fl_display, fl_window, fl_gc, image, 0, 0, x, y, w, h);
    image->data = nullptr;
    XDestroyImage(image);
}

void putPixelBlock(int x, int y, int w, int h, const std::uint32_t* pixels) {
    if (w <= 0 || h <= 0 || !fl_gc) return;
    XImage* image = XCreateImage(fl_display, fl_visual->visual, fl_visual->depth, ZPixmap, 0,
                                 nullptr, w, h, 32, 0);
    if (!image) return;
    image->data =
        static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * h));
    if (!image->data) {
        XDestroyImage(image);
        return;
    }
    for (int row = 0; row < h; ++row)
        for (int column = 0; column < w; ++column)
            XPutPixel(image, column, row, pixels[static_cast<std::size_t>(row) * w + column]);
    XPutImage(fl_display, fl_window, fl_gc, image, 0, 0, x, y, w, h);
    XDestroyImage(image);
}

}  // namespace vexa
