#include "platform/x11/desktop_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "platform/x11/x11_display.h"

namespace vexa {

DesktopFacts probeDesktop(const std::string& displayName) {
    DesktopFacts facts;
    ::Display* connection = XOpenDisplay(displayName.c_str());
    if (!connection) return facts;
    facts.opened = true;
    // The same test as the palette model's, so that --nested nests exactly where Vexa
    // would refuse to run.
    facts.paletteBased = paletteScreen(connection) &&
                         DefaultVisual(connection, DefaultScreen(connection))->map_entries > 0;
    int opcode = 0, event = 0, error = 0;
    facts.render = XQueryExtension(connection, "RENDER", &opcode, &event, &error);
    const int screen = DefaultScreen(connection);
    facts.area = {DisplayWidth(connection, screen), DisplayHeight(connection, screen)};
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(connection, RootWindow(connection, screen),
                           XInternAtom(connection, "_NET_WORKAREA", False), 0, 4, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 4) {
        const long* area = reinterpret_cast<const long*>(data);
        if (area[2] > 0 && area[3] > 0) {
            facts.area = {static_cast<int>(area[2]), static_cast<int>(area[3])};
        }
    }
    if (data) XFree(data);
    XCloseDisplay(connection);
    return facts;
}

}  // namespace vexa
