// vexa-test-screenshot OUT.png [X Y WIDTH HEIGHT]
// Writes a PNG of the screen (or a rectangle of it) as the monitor shows it: every pixel
// value is looked up in the colormap installed at that moment, not in the default colormap.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "png_encoder.h"

namespace {

int channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long max = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255 / max);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr, "usage: vexa-test-screenshot OUT.png [X Y WIDTH HEIGHT]\n");
        return 2;
    }
    ::Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "vexa-test-screenshot: cannot open the display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    int x = 0, y = 0, width = DisplayWidth(display, screen),
        height = DisplayHeight(display, screen);
    if (argc == 6) {
        x = std::atoi(argv[2]);
        y = std::atoi(argv[3]);
        width = std::atoi(argv[4]);
        height = std::atoi(argv[5]);
    }
    Visual* visual = DefaultVisual(display, screen);
    XGrabServer(display);  // the image and the colormap belong to the same moment
    XImage* image =
        XGetImage(display, RootWindow(display, screen), x, y, width, height, AllPlanes, ZPixmap);
    std::vector<XColor> cells;
    if (image && visual->c_class != TrueColor) {
        int count = 0;
        Colormap* installed = XListInstalledColormaps(display, RootWindow(display, screen), &count);
        Colormap colormap = count > 0 ? installed[0] : DefaultColormap(display, screen);
        if (installed) XFree(installed);
        cells.resize(visual->map_entries);
        for (std::size_t i = 0; i < cells.size(); ++i) cells[i].pixel = i;
        XQueryColors(display, colormap, cells.data(), static_cast<int>(cells.size()));
    }
    XUngrabServer(display);
    if (!image) {
        std::fprintf(stderr, "vexa-test-screenshot: cannot read the screen\n");
        return 1;
    }
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const unsigned long pixel = XGetPixel(image, column, row);
            if (cells.empty()) {
                rgb.push_back(channel(pixel, visual->red_mask));
                rgb.push_back(channel(pixel, visual->green_mask));
                rgb.push_back(channel(pixel, visual->blue_mask));
            } else {
                const XColor& c = cells[pixel < cells.size() ? pixel : 0];
                rgb.push_back(c.red >> 8);
                rgb.push_back(c.green >> 8);
                rgb.push_back(c.blue >> 8);
            }
        }
    XDestroyImage(image);
    XCloseDisplay(display);
    auto png = vexa::testing::encodePng(width, height, rgb);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "vexa-test-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
