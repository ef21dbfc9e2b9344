#include "platform/x11/open_display.h"

#include <FL/x.H>

#include <cstdio>

namespace vexa {

std::unique_ptr<X11Display> openDisplay() {
    Display* connection = XOpenDisplay(nullptr);
    if (!connection) {
        std::fprintf(stderr, "vexa: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return nullptr;
    }
    fl_open_display(connection);
    return std::make_unique<X11Display>(connection);
}

}  // namespace vexa
