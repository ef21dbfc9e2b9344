#include "platform/x11/colormap_follower.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <vector>

#include "platform/x11/x11_display.h"
#include "platform/x11/x_error_trap.h"

namespace vexa {
namespace {

// Adds ColormapChangeMask to what this client already selects on `window`.
void listenForColormaps(::Display* connection, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(connection, window, &attributes)) return;
    XSelectInput(connection, window, attributes.your_event_mask | ColormapChangeMask);
}

}  // namespace

ColormapFollower::ColormapFollower(::Display* connection, Window window)
    : connection_(connection), window_(window), root_(DefaultRootWindow(connection)) {
    listenForColormaps(connection_, window_);
    listenForColormaps(connection_, root_);
    follow();
}

bool ColormapFollower::handleEvent(const XEvent& event) {
    if (event.type != ColormapNotify) return false;
    if (event.xcolormap.window != window_ && event.xcolormap.window != root_) return false;
    follow();
    return true;
}

void ColormapFollower::follow() {
    const Colormap installed = installedColormap(connection_);
    if (installed == None) return;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(connection_, window_, &attributes)) return;
    if (attributes.colormap == installed) return;
    // The installed colormap may belong to another visual, or be freed by now; then the
    // notification that follows its replacement brings the next try.
    XErrorTrap trap(connection_);
    XSetWindowColormap(connection_, window_, installed);
    trap.failed();
}

namespace {

// The one system handler serves every follower of the process; FLTK removes handlers by
// function alone.
std::vector<FltkColormapFollower*>& followers() {
    static std::vector<FltkColormapFollower*> all;
    return all;
}

}  // namespace

FltkColormapFollower::FltkColormapFollower(Fl_Window& window)
    : follower_(fl_display, fl_xid(&window)) {
    if (followers().empty()) Fl::add_system_handler(&FltkColormapFollower::dispatch, nullptr);
    followers().push_back(this);
}

FltkColormapFollower::~FltkColormapFollower() {
    std::erase(followers(), this);
    if (followers().empty()) Fl::remove_system_handler(&FltkColormapFollower::dispatch);
}

int FltkColormapFollower::dispatch(void* event, void*) {
    for (FltkColormapFollower* follower : followers())
        follower->follower_.handleEvent(*static_cast<const XEvent*>(event));
    return 0;  // FLTK goes on with the event as usual
}

}  // namespace vexa
