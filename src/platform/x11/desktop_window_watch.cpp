#include "platform/x11/desktop_window_watch.h"

#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>

#include "platform/x11/x_error_trap.h"

namespace vexa {

namespace {

class X11WindowWatch : public DesktopWindowWatch {
  public:
    explicit X11WindowWatch(::Display* connection) : connection_(connection) {
        // A desktop that goes takes the window with it; the session then ends in order
        // rather than by Xlib's exit.
        XSetIOErrorExitHandler(
            connection_, [](::Display*, void* watch) { static_cast<X11WindowWatch*>(watch)->gone_ = true; },
            this);
    }
    ~X11WindowWatch() override { XCloseDisplay(connection_); }

    void begin() override {
        XSelectInput(connection_, DefaultRootWindow(connection_), SubstructureNotifyMask);
        XSync(connection_, False);
    }
    bool follow(pid_t pid, const std::string& title) override;
    int fd() const override { return ConnectionNumber(connection_); }
    bool gone() override;

  private:
    // The resource range of the client that process `pid` runs; false when the server
    // cannot tell.
    bool findClient(pid_t pid);
    std::string titleOf(::Window window);
    void consider(::Window window);

    ::Display* connection_;
    // Every window the followed program makes has an ID in its client's range, so that it
    // is told even when it was destroyed before it was looked at.
    XID clientBase_ = 0, clientMask_ = 0;
    std::string title_;
    bool following_ = false;
    ::Window followed_ = 0;
    bool gone_ = false;
};

bool X11WindowWatch::findClient(pid_t pid) {
    int event = 0, error = 0;
    if (!XResQueryExtension(connection_, &event, &error)) return false;
    XResClientIdSpec all{0, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* values = nullptr;
    if (XResQueryClientIds(connection_, 1, &all, &count, &values) != Success) return false;
    for (long i = 0; i < count; ++i)
        if (XResGetClientPid(&values[i]) == pid) clientBase_ = values[i].spec.client;
    XResClientIdsDestroy(count, values);
    int clients = 0;
    XResClient* ranges = nullptr;
    if (clientBase_ == 0 || !XResQueryClients(connection_, &clients, &ranges)) return false;
    for (int i = 0; i < clients; ++i)
        if (ranges[i].resource_base == clientBase_) clientMask_ = ranges[i].resource_mask;
    XFree(ranges);
    return clientMask_ != 0;
}

std::string X11WindowWatch::titleOf(::Window window) {
    char* name = nullptr;
    std::string title;
    if (XFetchName(connection_, window, &name) && name) title = name;
    if (name) XFree(name);
    return title;
}

bool X11WindowWatch::follow(pid_t pid, const std::string& title) {
    title_ = title;
    following_ = true;
    {
        XErrorTrap trap(connection_);
        if (!findClient(pid) || trap.failed()) clientBase_ = clientMask_ = 0;
    }
    return !gone();
}

// The window followed may be made after its program said it was ready: the windows made on
// the root are looked at until it is found.
void X11WindowWatch::consider(::Window window) {
    if (followed_ != 0) return;
    XErrorTrap trap(connection_);
    const bool ours = clientMask_ != 0 ? (window & ~clientMask_) == clientBase_
                                       : titleOf(window) == title_;
    if (!ours) return;
    followed_ = window;
    XSelectInput(connection_, followed_, StructureNotifyMask);
    XSelectInput(connection_, DefaultRootWindow(connection_), NoEventMask);
    // Destroyed before the selection took effect: no event would come.
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(connection_, followed_, &attributes) || trap.failed()) gone_ = true;
}

bool X11WindowWatch::gone() {
    while (!gone_ && XPending(connection_)) {
        XEvent event;
        XNextEvent(connection_, &event);
        if (event.type == CreateNotify && following_) consider(event.xcreatewindow.window);
        if (event.type == DestroyNotify && followed_ != 0 &&
            event.xdestroywindow.window == followed_)
            gone_ = true;
    }
    return gone_;
}

}  // namespace

std::unique_ptr<DesktopWindowWatch> watchDesktopWindows(const std::string& displayName) {
    ::Display* connection = XOpenDisplay(displayName.c_str());
    if (!connection) return nullptr;
    return std::make_unique<X11WindowWatch>(connection);
}

}  // namespace vexa
