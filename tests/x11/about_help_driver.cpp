// Opens a plain owner window standing in for the palette window and lets a test open the
// About and Help windows over it through the same entry points the application calls:
// "a" runs showAbout and "m" a Help window whose text resource is missing. With --about the
// About window opens at once.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>

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

void openAbout(void* owner) {
    vexa::showAbout(static_cast<Fl_Window*>(owner), vexa::applicationName(), kVersion, helpShowing);
}

}  // namespace

int main(int argc, char** argv) {
    vexa::installDefaultAppIcons();
    OwnerWindow owner;
    owner.position(100, 100);
    owner.show();
    if (argc > 1 && std::strcmp(argv[1], "--about") == 0) Fl::add_timeout(0.0, openAbout, &owner);
    return Fl::run();
}
