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
        XSelectInput(connection_, DefaultRootWindow(connection_), SubstructureNotifyMask);
        XSync(connection_, False);
    }
    ~X11WindowWatch() override { XCloseDisplay(connection_); }

    bool follow(pid_t pid, const std::string& title) override;
    int fd() const override { return ConnectionNumber(connection_); }
    bool gone() override;

  private:
    // The process that made `window`, or -1 when the server cannot tell.
    pid_t ownerOf(::Window window);
    std::string titleOf(::Window window);
    void consider(::Window window);

    ::Display* connection_;
    pid_t pid_ = -1;
    std::string title_;
    ::Window followed_ = 0;
    bool gone_ = false;
};

pid_t X11WindowWatch::ownerOf(::Window window) {
    int event = 0, error = 0;
    if (!XResQueryExtension(connection_, &event, &error)) return -1;
    XResClientIdSpec spec{window, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* values = nullptr;
    pid_t pid = -1;
    if (XResQueryClientIds(connection_, 1, &spec, &count, &values) == Success) {
        for (long i = 0; i < count && pid < 0; ++i) pid = XResGetClientPid(&values[i]);
        XResClientIdsDestroy(count, values);
    }
    return pid;
}

std::string X11WindowWatch::titleOf(::Window window) {
    char* name = nullptr;
    std::string title;
    if (XFetchName(connection_, window, &name) && name) title = name;
    if (name) XFree(name);
    return title;
}

bool X11WindowWatch::follow(pid_t pid, const std::string& title) {
    pid_ = pid;
    title_ = title;
    XSync(connection_, False);
    return !gone();
}

// The window followed may be made after its program said it was ready: the windows made on
// the root are looked at until it is found.
void X11WindowWatch::consider(::Window window) {
    if (followed_ != 0) return;
    XErrorTrap trap(connection_);
    const pid_t owner = ownerOf(window);
    if (owner != pid_ && (owner >= 0 || titleOf(window) != title_)) return;
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
        if (event.type == CreateNotify && pid_ > 0) consider(event.xcreatewindow.window);
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
