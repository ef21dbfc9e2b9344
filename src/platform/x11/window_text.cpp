#include "platform/window_text.h"

#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include "platform/x11/toolkit_window.h"

namespace vexa {

void publishWindowText(TopLevelWindow& window, const char* property, const std::string& text) {
    const Window xid = fl_xid(&toolkitWindow(window));
    if (!xid) return;
    const Atom atom = XInternAtom(fl_display, property, False);
    XChangeProperty(fl_display, xid, atom, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()),
                    static_cast<int>(text.size()));
    XFlush(fl_display);
}

}  // namespace vexa
