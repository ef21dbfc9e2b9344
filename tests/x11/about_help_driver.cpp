// Opens a plain owner window standing in for the palette window and lets a test open the
// About and Help windows over it through the same entry points the application calls:
// "a" runs showAbout and "m" a Help window whose text resource is missing. With --about the
// About window opens at once.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <cstring>
#include <string>

#include "ui/about_window.h"
#include "ui/app_icon.h"
#include "ui/help_window.h"
#include "ui/string_table.h"

namespace {

const std::string kVersion = "1.6";
// At most one Help window, as the application keeps it.
bool helpShowing = false;

class OwnerWindow : public Fl_Window {
  public:
    OwnerWindow() : Fl_Window(420, 320, "Vexa Test Owner") {
        hint_.align(FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
        end();
    }

    int handle(int event) override {
        if (event == FL_KEYBOARD) {
            if (Fl::event_key() == 'a') {
                vexa::showAbout(this, vexa::applicationName(), kVersion, helpShowing);
                return 1;
            }
            if (Fl::event_key() == 'm') {
                vexa::HelpWindow help(vexa::applicationName(), "NoSuchText");
                help.runModal(vexa::lastActivePopup(this));
                return 1;
            }
        }
        return Fl_Window::handle(event);
    }

  private:
    Fl_Box hint_{10, 10, 400, 300, "a: About, m: Help without text"};
};

// Answers the test's VEXA_TEST_PING on the owner window with the same text in
// VEXA_TEST_PONG: events are handled in order, so everything sent before is handled then.
int answerPing(void* event, void* owner) {
    const XEvent& e = *static_cast<const XEvent*>(event);
    const Window window = fl_xid(static_cast<Fl_Window*>(owner));
    const Atom ping = XInternAtom(fl_display, "VEXA_TEST_PING", False);
    if (e.type != PropertyNotify || e.xproperty.window != window || e.xproperty.atom != ping ||
        e.xproperty.state != PropertyNewValue)
        return 0;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(fl_display, window, ping, 0, 256, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        data && format == 8)
        XChangeProperty(fl_display, window, XInternAtom(fl_display, "VEXA_TEST_PONG", False), type,
                        8, PropModeReplace, data, static_cast<int>(count));
    if (data) XFree(data);
    XFlush(fl_display);
    return 0;
}

void openAbout(void* owner) {
    vexa::showAbout(static_cast<Fl_Window*>(owner), vexa::applicationName(), kVersion, helpShowing);
}

}  // namespace

int main(int argc, char** argv) {
    vexa::installDefaultAppIcons();
    OwnerWindow owner;
    owner.position(100, 100);
    owner.show();
    XWindowAttributes attributes{};
    XGetWindowAttributes(fl_display, fl_xid(&owner), &attributes);
    XSelectInput(fl_display, fl_xid(&owner), attributes.your_event_mask | PropertyChangeMask);
    Fl::add_system_handler(answerPing, &owner);
    if (argc > 1 && std::strcmp(argv[1], "--about") == 0) Fl::add_timeout(0.0, openAbout, &owner);
    return Fl::run();
}
