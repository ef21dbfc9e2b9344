// Vexa's entry point: opens the display, builds the registry file store, the X11 display
// services and the application object, and hands over to its start-up routine.
#include <FL/Fl_Window.H>

#include "app/palette_app.h"
#include "app/platform_check.h"
#include "platform/clipboard.h"
#include "platform/store/registry_file_store.h"
#include "platform/x11/open_display.h"
#include "platform/x11/x11_display.h"
#include "ui/app_icon.h"

int main() {
    ::Display* connection = vexa::openDisplay();
    if (!connection) return 1;
    Fl_Window::default_xclass("Vexa");
    // Every window from here on, message boxes and file choosers too, carries the icon.
    vexa::installDefaultAppIcons();

    vexa::RegistryFileStore registry(vexa::RegistryFileStore::defaultPath());
    vexa::X11Display display(connection);
    vexa::PaletteApp app(registry, display, vexa::runningPlatformVersion());
    app.startUp();
    vexa::closeClipboard();
    return 0;
}
