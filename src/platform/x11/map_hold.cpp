#include "platform/x11/map_hold.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <utility>
#include <vector>

namespace vexa {
namespace {

using MapWindowFunction = int (*)(Display*, Window);

bool holding = false;
std::vector<std::pair<Display*, Window>> heldMaps;

// Xlib's own XMapWindow, behind the program's definition below.
MapWindowFunction xlibMapWindow() {
    static const auto function =
        reinterpret_cast<MapWindowFunction>(dlsym(RTLD_NEXT, "XMapWindow"));
    return function;
}

}  // namespace

MapHold::MapHold() {
    holding = true;
}

MapHold::~MapHold() {
    holding = false;
    for (const auto& [display, window] : heldMaps) xlibMapWindow()(display, window);
    heldMaps.clear();
}

}  // namespace vexa

// The program's XMapWindow comes before Xlib's for every caller in the process, FLTK
// included; outside a MapHold it is Xlib's.
extern "C" int XMapWindow(Display* display, Window window) {
    if (vexa::holding) {
        vexa::heldMaps.emplace_back(display, window);
        return 1;
    }
    return vexa::xlibMapWindow()(display, window);
}
