// Vexa's entry point: opens the display, builds the registry file store, the X11 display
// services and the application object, and hands over to its start-up routine.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <cstdio>

#include "app/app_icon.h"
#include "app/palette_app.h"
#include "app/platform_check.h"
#include "platform/registry_file_store.h"
#include "platform/x11/clipboard.h"
#include "platform/x11/fltk_preferences.h"
#include "platform/x11/x11_display.h"

int main() {
    vexa::readFltkOptionsWithoutUserFile();
    ::Display* connection = XOpenDisplay(nullptr);
    if (!connection) {
        // No window can show a message without a display.
        std::fprintf(stderr, "vexa: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return 1;
    }
    fl_open_display(connection);
    Fl_Window::default_xclass("Vexa");
    // Every window from here on, message boxes and file choosers too, carries the icon.
    vexa::installDefaultAppIcons();

    vexa::RegistryFileStore registry(vexa::RegistryFileStore::defaultPath());
    vexa::X11Display display(fl_display);
    vexa::PaletteApp app(registry, display, vexa::runningPlatformVersion());
    app.startUp();
    vexa::closeClipboard();
    return app.exitStatus();
}
