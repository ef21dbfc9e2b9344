// Vexa's entry point: reads the command line, hands --nested to its session, opens the
// display, runs a command for scripts there or builds the registry file store, the X11 display
// services and the application object, and hands over to its start-up routine.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <memory>

#include "app/command_line.h"
#include "app/nested_session.h"
#include "app/palette_app.h"
#include "app/platform_check.h"
#include "app/run_end.h"
#include "base/console.h"
#include "platform/clipboard.h"
#include "platform/store/registry_file_store.h"
#include "platform/x11/interface_colours.h"
#include "platform/x11/lost_display.h"
#include "platform/x11/open_display.h"
#include "platform/x11/program_colormap.h"
#include "ui/app_icon.h"
#include "ui/fltk_preferences.h"

int main(int argc, char** argv) {
    const vexa::CommandLine command = vexa::parseCommandLine({argv + 1, argv + argc});
    switch (command.action) {
        case vexa::CommandLineAction::help:
            std::fputs(vexa::usageText().c_str(), stdout);
            return 0;
        case vexa::CommandLineAction::version:
            std::printf("%s\n", vexa::versionLine(vexa::kProgramVersion).c_str());
            return 0;
        case vexa::CommandLineAction::usageError:
            vexa::say(command.error);
            std::fputs(vexa::usageText().c_str(), stderr);
            return 2;
        case vexa::CommandLineAction::nested:
            return vexa::runNestedSession(command);
        case vexa::CommandLineAction::script:
        case vexa::CommandLineAction::run:
            break;
    }
    vexa::readFltkOptionsWithoutUserFile();
    // Through DISPLAY, as FLTK's own -display option does.
    if (!command.display.empty()) Fl::display(command.display.c_str());
    const std::unique_ptr<vexa::X11Display> display = vexa::openDisplay();
    if (!display) return 1;
    if (command.action == vexa::CommandLineAction::script) {
        // Nothing to save: one line and status 1, as for a window.
        vexa::onLostDisplay({});
        return vexa::runScriptCommand(command.script, *display, stdout, stderr);
    }
    vexa::useCoreTextOnPaletteScreens();
    Fl_Window::default_xclass("Vexa");
    // Every window from here on, message boxes and file choosers too, carries the icon.
    vexa::installDefaultAppIcons();

    vexa::RegistryFileStore registry(vexa::RegistryFileStore::defaultPath());
    // Every window of the program, from the first message box on, shows and keeps the
    // colormap the screen shows, and stays readable under it.
    vexa::ProgramColormap colormap(*display);
    vexa::PaletteApp app(registry, *display, vexa::runningPlatformVersion());
    app.setStartOptions(command.start);
    vexa::endRunOnSignals(app);
    vexa::saveAndExitOnLostDisplay(app);
    app.startUp();
    vexa::closeClipboard();
    return app.exitStatus();
}
