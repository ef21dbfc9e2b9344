// vexa-test-colormap-holder: plays "another application" that owns a private colormap.
//
//   vexa-test-colormap-holder [--bmp FILE] [--color I[-J]=RRGGBB]... [--fill PIXEL]
//                             [--geometry WxH+X+Y] [--name NAME] [--no-install]
//
// Creates a colormap of all entries of the default visual (first a copy of the default
// colormap, then the BMP's colour table from index 0, then each --color), shows a window
// that uses it (filled with PIXEL, or a 16 x 16 grid of all pixel values 0..255), installs
// the colormap unless --no-install (then a window manager may install it), prints
// "ready WINDOW COLORMAP" (decimal ids) and holds it. On stdin it obeys the lines
// "install" (installs the colormap again) and "quit"; it exits when stdin ends or on
// SIGTERM or SIGINT.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bmp_color_table.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
void requestStop(int) {
    stopRequested = 1;
}

[[noreturn]] void usage(const char* problem) {
    std::fprintf(stderr, "vexa-test-colormap-holder: %s\n", problem);
    std::exit(2);
}

void setColor(std::vector<XColor>& cells, int index, unsigned long rgb) {
    if (index < 0 || index >= static_cast<int>(cells.size())) usage("colour index out of range");
    cells[index].red = ((rgb >> 16) & 0xFF) * 257;
    cells[index].green = ((rgb >> 8) & 0xFF) * 257;
    cells[index].blue = (rgb & 0xFF) * 257;
}

// "I=RRGGBB" or "I-J=RRGGBB".
void applyColorOption(std::vector<XColor>& cells, const char* option) {
    int first = 0, last = 0;
    unsigned long rgb = 0;
    char tail = 0;
    if (std::sscanf(option, "%d-%d=%lx%c", &first, &last, &rgb, &tail) == 3 ||
        (std::sscanf(option, "%d=%lx%c", &first, &rgb, &tail) == 2 && (last = first, true))) {
        for (int i = first; i <= last; ++i) setColor(cells, i, rgb);
        return;
    }
    usage("bad --color, expected I=RRGGBB or I-J=RRGGBB");
}

void paint(::Display* display, Window window, GC gc, int width, int height, long fill) {
    if (fill >= 0) {
        XSetForeground(display, gc, fill);
        XFillRectangle(display, window, gc, 0, 0, width, height);
        return;
    }
    for (int i = 0; i < 256; ++i) {
        const int x0 = (i % 16) * width / 16, x1 = (i % 16 + 1) * width / 16;
        const int y0 = (i / 16) * height / 16, y1 = (i / 16 + 1) * height / 16;
        XSetForeground(display, gc, i);
        XFillRectangle(display, window, gc, x0, y0, x1 - x0, y1 - y0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::Display* display = XOpenDisplay(nullptr);
    if (!display) usage("cannot open the display");
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    if (visual->c_class != PseudoColor && visual->c_class != GrayScale)
        usage("the default visual has no writable colormap");

    std::vector<XColor> cells(visual->map_entries);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        cells[i].pixel = i;
        cells[i].flags = DoRed | DoGreen | DoBlue;
    }
    XQueryColors(display, DefaultColormap(display, screen), cells.data(),
                 static_cast<int>(cells.size()));

    long fill = -1;
    bool install = true;
    std::string name = "vexa-test-colormap-holder";
    int x = 700, y = 400;
    unsigned width = 256, height = 256;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) usage(("missing value after " + option).c_str());
            return argv[++i];
        };
        if (option == "--bmp") {
            auto table = vexa::testing::readBmpColorTable(value());
            if (table.empty()) usage("the file has no colour table");
            for (std::size_t k = 0; k < table.size() && k < cells.size(); ++k)
                setColor(cells, static_cast<int>(k),
                         (table[k].red << 16) | (table[k].green << 8) | table[k].blue);
        } else if (option == "--color") {
            applyColorOption(cells, value());
        } else if (option == "--fill") {
            fill = std::strtol(value(), nullptr, 10);
        } else if (option == "--geometry") {
            XParseGeometry(value(), &x, &y, &width, &height);
        } else if (option == "--name") {
            name = value();
        } else if (option == "--no-install") {
            install = false;
        } else {
            usage(("unknown option " + option).c_str());
        }
    }

    Window root = RootWindow(display, screen);
    Colormap colormap = XCreateColormap(display, root, visual, AllocAll);
    XStoreColors(display, colormap, cells.data(), static_cast<int>(cells.size()));

    XSetWindowAttributes attributes{};
    attributes.colormap = colormap;
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.event_mask = ExposureMask | StructureNotifyMask;
    Window window =
        XCreateWindow(display, root, x, y, width, height, 0, CopyFromParent, InputOutput, visual,
                      CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = x;
    hints.y = y;
    hints.width = static_cast<int>(width);
    hints.height = static_cast<int>(height);
    XSetWMNormalHints(display, window, &hints);
    XStoreName(display, window, name.c_str());
    GC gc = XCreateGC(display, window, 0, nullptr);
    XMapWindow(display, window);

    XEvent event;
    do XWindowEvent(display, window, ExposureMask, &event);
    while (event.type != Expose);
    paint(display, window, gc, static_cast<int>(width), static_cast<int>(height), fill);
    if (install) XInstallColormap(display, colormap);
    XSync(display, False);
    std::printf("ready %lu %lu\n", window, colormap);
    std::fflush(stdout);

    signal(SIGTERM, requestStop);
    signal(SIGINT, requestStop);
    std::string input;
    while (!stopRequested) {
        while (XPending(display)) {
            XNextEvent(display, &event);
            if (event.type == ConfigureNotify) {
                width = event.xconfigure.width;
                height = event.xconfigure.height;
            } else if (event.type == Expose && event.xexpose.count == 0) {
                paint(display, window, gc, static_cast<int>(width), static_cast<int>(height), fill);
            }
        }
        XFlush(display);
        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {0, POLLIN, 0}};
        if (poll(fds, 2, 200) <= 0) continue;
        if (fds[1].revents) {
            char chunk[256];
            ssize_t n = read(0, chunk, sizeof chunk);
            if (n <= 0) break;
            input.append(chunk, n);
            std::size_t end;
            while ((end = input.find('\n')) != std::string::npos) {
                const std::string line = input.substr(0, end);
                input.erase(0, end + 1);
                if (line == "install") XInstallColormap(display, colormap);
                if (line == "quit") stopRequested = 1;
            }
            XSync(display, False);
        }
    }
    XFreeGC(display, gc);
    XDestroyWindow(display, window);
    XFreeColormap(display, colormap);
    XCloseDisplay(display);
    return 0;
}
