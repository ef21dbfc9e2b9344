#include "platform/x11/program_colormap.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <optional>

#include "platform/window_colormap.h"
#include "platform/x11/interface_colours.h"
#include "platform/x11/window_manager.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x_error_trap.h"

namespace vexa {
namespace {

// Adds ColormapChangeMask to what this client already selects on `window`.
void listenForColormaps(Display* connection, Window window) {
    XErrorTrap trap(connection);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(connection, window, &attributes)) return;
    XSelectInput(connection, window, attributes.your_event_mask | ColormapChangeMask);
}

Window topLevelId(Fl_Window& window) {
    return (window.parent() || !window.shown()) ? None : fl_xid(&window);
}

// The colour matching and the redraw it asks for, and the colormap of new windows.
void drawUnder(Colormap colormap) {
    if (colormap == None) return;
    fl_colormap = colormap;
    if (!matchInterfaceColours(fl_display, colormap)) return;
    for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window))
        window->redraw();
}

}  // namespace

ProgramColormap::ProgramColormap(X11Display& display) : display_(display) {
    watch(DefaultRootWindow(fl_display));
    for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window))
        if (const Window id = topLevelId(*window)) watch(id);
    Fl::add_system_handler(&ProgramColormap::dispatch, this);
    display_.onRealise([this](Colormap colormap) { adopt(colormap); });
    drawUnder(follow());
}

ProgramColormap::~ProgramColormap() {
    display_.onRealise(nullptr);
    Fl::remove_timeout(&ProgramColormap::settled, this);
    Fl::remove_system_handler(&ProgramColormap::dispatch);
}

// New windows take the installed colormap, and the program's colours are matched to it;
// but not the desktop's own while the windows carry another. A window manager installs that
// one whenever the pointer crosses the desktop or a menu of ours (twm takes a pop-up for the
// desktop), and a window opened from that menu would otherwise keep it.
void prepareWindowColormap() {
    if (!fl_display) return;
    Colormap colormap = installedColormap(fl_display);
    if (colormap == DefaultColormap(fl_display, DefaultScreen(fl_display))) {
        XErrorTrap trap(fl_display);
        for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window)) {
            XWindowAttributes attributes{};
            const Window id = topLevelId(*window);
            if (id && !window->override() && XGetWindowAttributes(fl_display, id, &attributes) &&
                attributes.colormap != None) {
                colormap = attributes.colormap;
                break;
            }
        }
    }
    drawUnder(colormap);
}

void ProgramColormap::watch(Window window) {
    if (watched_.insert(window).second) listenForColormaps(fl_display, window);
}

bool ProgramColormap::isColormapChange(const XEvent& event) const {
    return event.type == ColormapNotify && watched_.count(event.xcolormap.window) != 0;
}

void ProgramColormap::adopt(Colormap colormap) {
    XErrorTrap trap(fl_display);
    for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window))
        if (const Window id = topLevelId(*window)) XSetWindowColormap(fl_display, id, colormap);
    drawUnder(colormap);
}

// The windows take the colormap installed now, unless it is the desktop's own: a window
// manager installs the root window's colormap whenever the pointer rests on the desktop or
// crosses it, and a palette that Vexa loaded must come back when the pointer returns. Nor do
// they take one while the window manager gives them colormap focus: what it installs then is
// their own colormap as it last heard of it, which after a realisation may still be the one
// they carried before; it installs the new one once the change reaches it, unless they have
// taken the old one back meanwhile. A window whose colormap was freed takes whatever is
// installed. The windows may be gone, and the installed colormap may be freed by now; the
// notification that follows its replacement then brings the next try.
Colormap ProgramColormap::follow() {
    const Colormap installed = installedColormap(fl_display);
    if (installed == None) return None;
    const bool desktops = installed == DefaultColormap(fl_display, DefaultScreen(fl_display));
    XErrorTrap trap(fl_display);
    std::optional<bool> focused;
    for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window)) {
        const Window id = topLevelId(*window);
        XWindowAttributes attributes{};
        if (!id || !XGetWindowAttributes(fl_display, id, &attributes)) continue;
        if (attributes.colormap == installed) continue;
        if (attributes.colormap != None) {
            if (desktops) continue;
            if (!focused) focused = hasColormapFocus();
            if (*focused) continue;
        }
        XSetWindowColormap(fl_display, id, installed);
    }
    return installed;
}

bool ProgramColormap::hasColormapFocus() const {
    const Window focus = colormapFocus(fl_display);
    if (focus == None) return false;
    for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window))
        if (const Window id = topLevelId(*window); id && topLevelAncestor(fl_display, id) == focus)
            return true;
    return false;
}

int ProgramColormap::dispatch(void* event, void* data) {
    auto& self = *static_cast<ProgramColormap*>(data);
    const XEvent& e = *static_cast<const XEvent*>(event);
    if (e.type == MapNotify) {
        if (Fl_Window* window = fl_find(e.xmap.window))
            if (const Window id = topLevelId(*window)) self.watch(id);
    } else if (e.type == DestroyNotify) {
        // FLTK destroys a window's X window when it hides it.
        self.watched_.erase(e.xdestroywindow.window);
    } else if ((e.type == FocusOut || e.type == LeaveNotify) &&
               self.watched_.count(e.xany.window)) {
        // Colormap focus may have gone to another program, whose colormap is installed
        // already or comes next.
        self.follow();
    } else if (self.isColormapChange(e)) {
        // The windows follow at once, so that the pointer entering them right after never
        // installs what they carried before. The colours are matched once the installed
        // colormap has settled: each change restarts the wait.
        self.follow();
        Fl::remove_timeout(&ProgramColormap::settled, &self);
        Fl::add_timeout(kSettleSeconds, &ProgramColormap::settled, &self);
    }
    return 0;  // FLTK goes on with the event as usual
}

void ProgramColormap::settled(void* data) {
    drawUnder(static_cast<ProgramColormap*>(data)->follow());
}

}  // namespace vexa
