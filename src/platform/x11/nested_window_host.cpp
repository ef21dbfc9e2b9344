#include "platform/x11/nested_window_host.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/x11/x_error_trap.h"

namespace vexa {

namespace {

class X11NestedWindow : public NestedWindow {
  public:
    explicit X11NestedWindow(::Display* connection) : connection_(connection) {
        // A desktop that goes, or a connection killed (xkill), closes the window; the
        // session then ends in order rather than by Xlib's exit. This process has no other
        // connection that could want Xlib's default.
        XSetIOErrorHandler([](::Display*) { return 0; });
        XSetIOErrorExitHandler(
            connection_,
            [](::Display*, void* window) { static_cast<X11NestedWindow*>(window)->closed_ = true; },
            this);
    }
    ~X11NestedWindow() override { XCloseDisplay(connection_); }

    bool show(Size size, const std::string& title) override;
    unsigned long id() const override { return window_; }
    int fd() const override { return ConnectionNumber(connection_); }
    bool closed() override;

  private:
    // The keyboard goes where it would go in a window of the server's own, wherever the
    // pointer is.
    void focusServer();

    ::Display* connection_;
    ::Window window_ = 0;
    ::Window server_ = 0;  // the server's window inside
    Atom deleteWindow_ = 0;
    bool focused_ = false;
    bool closed_ = false;
};

bool X11NestedWindow::show(Size size, const std::string& title) {
    const int screen = DefaultScreen(connection_);
    window_ = XCreateSimpleWindow(connection_, RootWindow(connection_, screen), 0, 0,
                                  static_cast<unsigned>(size.width),
                                  static_cast<unsigned>(size.height), 0,
                                  BlackPixel(connection_, screen), BlackPixel(connection_, screen));
    if (window_ == 0) return false;
    XStoreName(connection_, window_, title.c_str());
    XClassHint names{const_cast<char*>("vexa-nested"), const_cast<char*>("Vexa")};
    XSetClassHint(connection_, window_, &names);
    // The screen has one size.
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = size.width;
    hints.min_height = hints.max_height = size.height;
    XSetWMNormalHints(connection_, window_, &hints);
    XWMHints input{};
    input.flags = InputHint;
    input.input = True;
    XSetWMHints(connection_, window_, &input);
    deleteWindow_ = XInternAtom(connection_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(connection_, window_, &deleteWindow_, 1);
    XSelectInput(connection_, window_,
                 StructureNotifyMask | SubstructureNotifyMask | FocusChangeMask);
    XMapWindow(connection_, window_);
    XSync(connection_, False);
    return true;
}

void X11NestedWindow::focusServer() {
    if (server_ == 0) return;
    XErrorTrap trap(connection_);
    XSetInputFocus(connection_, server_, RevertToParent, CurrentTime);
    trap.failed();
}

bool X11NestedWindow::closed() {
    while (!closed_ && XPending(connection_)) {
        XEvent event;
        XNextEvent(connection_, &event);
        switch (event.type) {
            case ClientMessage:
                if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) closed_ = true;
                break;
            case DestroyNotify:
                if (event.xdestroywindow.window == window_) closed_ = true;
                break;
            case CreateNotify:
                if (event.xcreatewindow.parent != window_) break;
                server_ = event.xcreatewindow.window;
                // Kept on the desktop when this connection is killed: the server outlives
                // it until the session has ended what runs in it.
                XAddToSaveSet(connection_, server_);
                break;
            case MapNotify:
                if (event.xmap.window == server_ && focused_) focusServer();
                break;
            case FocusIn:
                if (event.xfocus.window != window_ || event.xfocus.detail > NotifyNonlinearVirtual)
                    break;
                focused_ = true;
                // The window itself took the focus (not the server's window inside).
                if (event.xfocus.detail != NotifyVirtual &&
                    event.xfocus.detail != NotifyNonlinearVirtual)
                    focusServer();
                break;
            case FocusOut:
                // To the server's window inside, the focus stays in the nested window.
                if (event.xfocus.window == window_ && event.xfocus.detail != NotifyInferior &&
                    event.xfocus.detail <= NotifyNonlinearVirtual)
                    focused_ = false;
                break;
            default:
                break;
        }
    }
    return closed_;
}

}  // namespace

std::unique_ptr<NestedWindow> nestedWindowOn(const std::string& displayName) {
    ::Display* connection = XOpenDisplay(displayName.c_str());
    if (!connection) return nullptr;
    return std::make_unique<X11NestedWindow>(connection);
}

}  // namespace vexa
