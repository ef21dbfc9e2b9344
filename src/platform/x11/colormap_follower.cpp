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
    XErrorTrap trap(connection);
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

bool ColormapFollower::isColormapChange(const XEvent& event) const {
    return event.type == ColormapNotify &&
           (event.xcolormap.window == window_ || event.xcolormap.window == root_);
}

void ColormapFollower::follow() {
    // The window may be gone, and the installed colormap may belong to another visual or be
    // freed by now; then the notification that follows its replacement brings the next try.
    XErrorTrap trap(connection_);
    const Colormap installed = installedColormap(connection_);
    if (installed == None) return;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(connection_, window_, &attributes)) return;
    if (attributes.colormap == installed) return;
    XSetWindowColormap(connection_, window_, installed);
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
    Fl::remove_timeout(&FltkColormapFollower::settled, this);
    std::erase(followers(), this);
    if (followers().empty()) Fl::remove_system_handler(&FltkColormapFollower::dispatch);
}

int FltkColormapFollower::dispatch(void* event, void*) {
    for (FltkColormapFollower* follower : followers())
        if (follower->follower_.isColormapChange(*static_cast<const XEvent*>(event))) {
            // Each change restarts the wait, so only the colormap that stays counts.
            Fl::remove_timeout(&FltkColormapFollower::settled, follower);
            Fl::add_timeout(kSettleSeconds, &FltkColormapFollower::settled, follower);
        }
    return 0;  // FLTK goes on with the event as usual
}

void FltkColormapFollower::settled(void* data) {
    static_cast<FltkColormapFollower*>(data)->follower_.follow();
}

}  // namespace vexa
