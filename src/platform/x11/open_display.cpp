#include "platform/x11/open_display.h"

#include <FL/x.H>

#include <cstdio>

namespace vexa {

::Display* openDisplay() {
    ::Display* connection = XOpenDisplay(nullptr);
    if (!connection) {
        std::fprintf(stderr, "vexa: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return nullptr;
    }
    fl_open_display(connection);
    return connection;
}

}  // namespace vexa
