#include "platform/x11/x11_window_ops.h"

#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "platform/x11/map_hold.h"
#include "platform/x11/toolkit_window.h"
#include "platform/x11/window_manager.h"

namespace vexa {
namespace {

Atom atom(const char* name) {
    return XInternAtom(fl_display, name, False);
}

// Up to `count` 32-bit items of a property; empty when it is absent or shorter.
std::vector<long> readLongs(Window window, Atom property, Atom type, long count) {
    Atom actualType = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(fl_display, window, property, 0, count, False, type, &actualType,
                           &format, &items, &after, &data) == Success &&
        data && format == 32 && items >= static_cast<unsigned long>(count)) {
        const long* longs = reinterpret_cast<const long*>(data);
        values.assign(longs, longs + count);
    }
    if (data) XFree(data);
    return values;
}

Window rootWindow() {
    return RootWindow(fl_display, fl_screen);
}

// True when the running window manager lists `hint` in _NET_SUPPORTED.
bool managerSupports(const char* hint) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(fl_display, rootWindow(), atom("_NET_SUPPORTED"), 0, 4096, False,
                           XA_ATOM, &type, &format, &items, &after, &data) == Success &&
        data && format == 32) {
        const Atom wanted = atom(hint);
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < items && !found; ++i) found = atoms[i] == wanted;
    }
    if (data) XFree(data);
    return found;
}

bool isViewable(Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(fl_display, window, &attributes) &&
           attributes.map_state == IsViewable;
}

// The client message `type` about `window` with the first four of its 32-bit items.
void sendToRoot(Window window, Atom type, const std::array<long, 4>& items) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    std::copy(items.begin(), items.end(), event.xclient.data.l);
    XSendEvent(fl_display, rootWindow(), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
}

}  // namespace

bool X11WindowOps::isWindow() const {
    return window_.shown() && fl_xid(&window_) != 0;
}

bool X11WindowOps::isMinimised() const {
    if (!isWindow()) return false;
    const Window xid = fl_xid(&window_);
    const Atom wmState = atom("WM_STATE");
    const std::vector<long> state = readLongs(xid, wmState, wmState, 1);
    if (!state.empty()) return state[0] == IconicState;
    const Atom netState = atom("_NET_WM_STATE");
    std::vector<long> states = readLongs(xid, netState, XA_ATOM, 1);
    return !states.empty() && static_cast<Atom>(states[0]) == atom("_NET_WM_STATE_HIDDEN");
}

FrameExtents X11WindowOps::frameExtents() const {
    FrameExtents extents;
    if (!isWindow()) return extents;
    const Window xid = fl_xid(&window_);
    const std::vector<long> net = readLongs(xid, atom("_NET_FRAME_EXTENTS"), XA_CARDINAL, 4);
    if (!net.empty()) {
        extents = {static_cast<int>(net[0]), static_cast<int>(net[1]), static_cast<int>(net[2]),
                   static_cast<int>(net[3])};
        return extents;
    }
    const Window frame = topLevelAncestor(fl_display, xid);
    if (frame == xid) return extents;
    if (frame == measuredFrame_) return measuredExtents_;
    Window root = None, child = None;
    int fx = 0, fy = 0, cx = 0, cy = 0;
    unsigned fw = 0, fh = 0, fborder = 0, depth = 0, cw = 0, ch = 0, cborder = 0;
    XGetGeometry(fl_display, frame, &root, &fx, &fy, &fw, &fh, &fborder, &depth);
    XGetGeometry(fl_display, xid, &root, &cx, &cy, &cw, &ch, &cborder, &depth);
    XTranslateCoordinates(fl_display, xid, root, 0, 0, &cx, &cy, &child);
    extents.left = cx - fx;
    extents.top = cy - fy;
    extents.right = (fx + static_cast<int>(fw + 2 * fborder)) - (cx + static_cast<int>(cw));
    extents.bottom = (fy + static_cast<int>(fh + 2 * fborder)) - (cy + static_cast<int>(ch));
    measuredFrame_ = frame;
    measuredExtents_ = extents;
    return extents;
}

Rect X11WindowOps::windowRect() const {
    if (!isWindow()) return {};
    const Window xid = fl_xid(&window_);
    XWindowAttributes attributes{};
    XGetWindowAttributes(fl_display, xid, &attributes);
    int x = 0, y = 0;
    Window child = None;
    XTranslateCoordinates(fl_display, xid, rootWindow(), 0, 0, &x, &y, &child);
    const FrameExtents e = frameExtents();
    return {x - e.left, y - e.top, x + attributes.width + e.right,
            y + attributes.height + e.bottom};
}

Rect X11WindowOps::desktopRect() const {
    return {0, 0, DisplayWidth(fl_display, fl_screen), DisplayHeight(fl_display, fl_screen)};
}

Rect X11WindowOps::workArea() const {
    const std::vector<long> area = readLongs(rootWindow(), atom("_NET_WORKAREA"), XA_CARDINAL, 4);
    if (area.empty() || area[2] <= 0 || area[3] <= 0) return desktopRect();
    return {static_cast<std::int32_t>(area[0]), static_cast<std::int32_t>(area[1]),
            static_cast<std::int32_t>(area[0] + area[2]),
            static_cast<std::int32_t>(area[1] + area[3])};
}

void X11WindowOps::setPosition(const Rect& r, bool topmost, unsigned flags) {
    if (!(flags & SWP_NOZORDER)) setAbove(topmost);
    if ((flags & SWP_NOMOVE) && (flags & SWP_NOSIZE)) return;
    // The rectangle is the frame's; the client sits inside it by the frame's extents. What
    // is kept comes from the window's own record, which already holds the requests a window
    // manager may not have carried out yet.
    const FrameExtents e = frameExtents();
    const int left = (flags & SWP_NOMOVE) ? window_.x() - e.left : r.left;
    const int top = (flags & SWP_NOMOVE) ? window_.y() - e.top : r.top;
    const int width = (flags & SWP_NOSIZE) ? window_.w() + e.left + e.right : r.width();
    const int height = (flags & SWP_NOSIZE) ? window_.h() + e.top + e.bottom : r.height();
    const int clientX = left + e.left, clientY = top + e.top;
    const int clientWidth = std::max(1, width - e.left - e.right);
    const int clientHeight = std::max(1, height - e.top - e.bottom);
    window_.resize(clientX, clientY, clientWidth, clientHeight);
    // FLTK sends only what differs from its record, and the record can be wrong: FLTK
    // creates a window 1 pixel off the left edge and 20 off the top without noting it, and
    // a window manager may have moved the window since. The whole geometry goes out.
    if (isWindow())
        XMoveResizeWindow(fl_display, fl_xid(&window_), clientX, clientY, clientWidth,
                          clientHeight);
    XFlush(fl_display);
}

void X11WindowOps::setAbove(bool above) {
    if (!isWindow()) return;
    const Window xid = fl_xid(&window_);
    const Atom netState = atom("_NET_WM_STATE");
    const Atom aboveAtom = atom("_NET_WM_STATE_ABOVE");
    XWindowAttributes attributes{};
    XGetWindowAttributes(fl_display, xid, &attributes);
    if (attributes.map_state != IsUnmapped && managerSupports("_NET_WM_STATE_ABOVE")) {
        sendToRoot(xid, netState, {above ? 1 : 0, static_cast<long>(aboveAtom), 0, 1});
        return;
    }
    // Before mapping, or with no manager that keeps the state, the property is the
    // client's own; without a manager, raising is all "on top" can mean.
    if (above)
        XChangeProperty(fl_display, xid, netState, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&aboveAtom), 1);
    else
        XDeleteProperty(fl_display, xid, netState);
    if (above) XRaiseWindow(fl_display, xid);
}

void X11WindowOps::removeMaximise() {
    if (!isWindow()) return;
    // _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
    enum : long { hintFunctions = 1, hintDecorations = 2 };
    enum : long { funcResize = 2, funcMove = 4, funcMinimise = 8, funcClose = 32 };
    enum : long {
        decoBorder = 2,
        decoResizeHandle = 4,
        decoTitle = 8,
        decoMenu = 16,
        decoMinimise = 32
    };
    const long hints[5] = {
        hintFunctions | hintDecorations, funcResize | funcMove | funcMinimise | funcClose,
        decoBorder | decoResizeHandle | decoTitle | decoMenu | decoMinimise, 0, 0};
    const Atom motif = atom("_MOTIF_WM_HINTS");
    XChangeProperty(fl_display, fl_xid(&window_), motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(hints), 5);
}

bool X11WindowOps::viewable() const {
    return window_.shown() && isViewable(fl_xid(&window_));
}

bool X11WindowOps::framed() const {
    if (!window_.shown()) return false;
    const Window xid = fl_xid(&window_);
    return isViewable(xid) || topLevelAncestor(fl_display, xid) != xid;
}

std::optional<Rect> X11WindowOps::rectAsLeft() const {
    if (!isWindow()) return std::nullopt;
    XGrabServer(fl_display);
    std::optional<Rect> rect;
    if (standsAsLeft()) rect = windowRect();
    XUngrabServer(fl_display);
    XFlush(fl_display);
    return rect;
}

bool X11WindowOps::standsAsLeft() const {
    const Window xid = fl_xid(&window_);
    const bool managerRuns = windowManagerRuns(fl_display);
    const bool inFrame = topLevelAncestor(fl_display, xid) != xid;
    managerSeen_ = managerSeen_ || managerRuns;
    framedSeen_ = framedSeen_ || inFrame;
    // The frame of a running manager stands where the user left it, also while the
    // manager hides it for a moment (taking the window in, or another desktop shown).
    if (managerRuns && inFrame) return true;
    if (!isViewable(xid)) return false;
    // A server that never had a manager leaves the window where it was placed, and a
    // manager that does not reparent leaves it at the root. Without the manager seen
    // before, or back at the root after being framed (a manager releases its windows as it
    // ends), the window stands where that end put it.
    if (!managerRuns) return !managerSeen_;
    return !framedSeen_;
}

bool X11WindowOps::showPlaced(const std::function<void()>& place) {
    MapHold hold;
    window_.show();
    managerSeen_ = managerSeen_ || windowManagerRuns(fl_display);
    removeMaximise();
    const bool frameKnown = requestFrameExtents();
    place();
    return frameKnown;
}

std::unique_ptr<MainWindowOps> mainWindowOps(TopLevelWindow& window) {
    return std::make_unique<X11WindowOps>(toolkitWindow(window));
}

void X11WindowOps::showMinimised() {
    if (!isWindow()) return;
    const Window xid = fl_xid(&window_);
    XWindowAttributes attributes{};
    XGetWindowAttributes(fl_display, xid, &attributes);
    if (attributes.map_state != IsUnmapped) {
        window_.iconize();
        return;
    }
    // Not mapped yet: the window manager takes it in minimised.
    XWMHints* hints = XGetWMHints(fl_display, xid);
    XWMHints fresh{};
    XWMHints& h = hints ? *hints : fresh;
    h.flags |= StateHint;
    h.initial_state = IconicState;
    XSetWMHints(fl_display, xid, &h);
    if (hints) XFree(hints);
}

bool X11WindowOps::requestFrameExtents() {
    if (!isWindow()) return false;
    if (!windowManagerRuns(fl_display)) return true;
    if (!managerSupports("_NET_REQUEST_FRAME_EXTENTS")) return false;
    const Window xid = fl_xid(&window_);
    const Atom extents = atom("_NET_FRAME_EXTENTS");
    sendToRoot(xid, atom("_NET_REQUEST_FRAME_EXTENTS"), {0, 0, 0, 0});
    // The answer is a property on the window; the window's event mask has no property
    // changes, so it is looked for a few times.
    for (int attempt = 0; attempt < 50; ++attempt) {
        XSync(fl_display, False);
        if (!readLongs(xid, extents, XA_CARDINAL, 4).empty()) return true;
        usleep(10000);
    }
    return false;
}

void X11WindowOps::bringToForeground() {
    if (!isWindow()) return;
    const Window xid = fl_xid(&window_);
    if (managerSupports("_NET_ACTIVE_WINDOW")) {
        sendToRoot(xid, atom("_NET_ACTIVE_WINDOW"), {1, CurrentTime, 0, 0});
    } else {
        XRaiseWindow(fl_display, xid);
        if (isViewable(xid)) XSetInputFocus(fl_display, xid, RevertToPointerRoot, CurrentTime);
    }
    XFlush(fl_display);
}

}  // namespace vexa
