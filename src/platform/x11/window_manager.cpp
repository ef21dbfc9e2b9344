#include "platform/x11/window_manager.h"

#include <X11/Xatom.h>

namespace vexa {
namespace {

// EWMH: _NET_SUPPORTING_WM_CHECK on the root names a window that names itself the same way.
bool announcesItself(::Display* connection) {
    const Atom check = XInternAtom(connection, "_NET_SUPPORTING_WM_CHECK", False);
    auto named = [&](Window window) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        Window found = None;
        if (XGetWindowProperty(connection, window, check, 0, 1, False, XA_WINDOW, &type, &format,
                               &items, &after, &data) == Success &&
            data && format == 32 && items == 1)
            found = static_cast<Window>(*reinterpret_cast<const long*>(data));
        if (data) XFree(data);
        return found;
    };
    const Window supporting = named(DefaultRootWindow(connection));
    return supporting != None && named(supporting) == supporting;
}

}  // namespace

bool windowManagerRuns(::Display* connection) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(connection, DefaultRootWindow(connection), &attributes) &&
           (attributes.all_event_masks & SubstructureRedirectMask) != 0;
}

Window topLevelAncestor(::Display* connection, Window window) {
    Window current = window;
    for (;;) {
        Window root = None, parent = None, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(connection, current, &root, &parent, &children, &count)) return window;
        if (children) XFree(children);
        if (parent == root || parent == None) return current;
        current = parent;
    }
}

Window colormapFocus(::Display* connection) {
    if (!windowManagerRuns(connection)) return None;
    const Window root = DefaultRootWindow(connection);
    Window focus = None;
    if (announcesItself(connection)) {
        int revert = 0;
        XGetInputFocus(connection, &focus, &revert);
        if (focus == PointerRoot || focus == root) return None;
    } else {
        Window pointerRoot = None;
        int x = 0, y = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        if (!XQueryPointer(connection, root, &pointerRoot, &focus, &x, &y, &wx, &wy, &mask))
            return None;
    }
    return focus == None ? None : topLevelAncestor(connection, focus);
}

}  // namespace vexa
