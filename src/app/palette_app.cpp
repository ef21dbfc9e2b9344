#include "app/palette_app.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <exception>
#include <new>
#include <system_error>

#include "app/platform_check.h"
#include "app/program_fault.h"
#include "base/console.h"
#include "settings/settings_batch.h"
#include "ui/about_window.h"
#include "ui/help_window.h"
#include "ui/message_box.h"
#include "ui/palette_window.h"
#include "ui/resource_ids.h"
#include "ui/string_table.h"

namespace vexa {

PaletteApp::PaletteApp(Registry& registry, DisplayDevice& display, std::uint32_t platformVersion)
    : appName_(applicationName()),
      settings_(registry),
      display_(display),
      platformVersion_(platformVersion) {}

void PaletteApp::startUp() {
    if (!platformSupported(platformVersion_)) {
        reportStartFailure(kPlatformMessage);
        return;
    }
    // The guarded region, from naming the settings' key to the end of the window. It catches
    // what keeps the program from starting: the palette model's failures, the program's other
    // failures (a resource that cannot be had) and running out of memory, all but the
    // palette mode shown as the lack of memory, and what the system refuses (a file, a folder)
    // as the file error it is. Anything else is a fault of the program and is reported as
    // one; either way the settings are saved first when something changed them.
    std::exception_ptr fault;
    try {
        loadSettings();
        runWindow();
    } catch (const PaletteModelError& error) {
        reportStartFailure(error.notPaletteDevice() ? kPaletteModeMessage : kNoMemoryMessage);
    } catch (const std::bad_alloc&) {
        reportStartFailure(kNoMemoryMessage);
    } catch (const CommandFailure&) {
        reportStartFailure(kNoMemoryMessage);
    } catch (const std::system_error& error) {
        reportStartFailure(CommandFailure::fromSystemError(error).message().c_str());
    } catch (...) {
        fault = std::current_exception();
    }
    if (settings_.modified) {
        SettingsBatch batch(settings_.key);
        settings_.save();
    }
    if (fault) {
        exitStatus_ = kFaultExitStatus;
        reportFault(stderr, fault);
    }
}

void PaletteApp::loadSettings() {
    settings_.currentVersion = kProgramVersion;
    settings_.key.bind(settings_.key.root(), kCompanyName, appName_);
    SettingsBatch batch(settings_.key);
    settings_.reset();
    settings_.load();
}

void PaletteApp::runWindow() {
    PaletteWindow window(settings_, appName_, display_, startOptions_,
                         [this](int id) { onCommand(id); });
    mainWindow_ = &window;
    try {
        window.runModal();
    } catch (...) {
        // Whatever ended the run, the window hands back what the run changed, as its close
        // would have; a hand-back that fails too leaves the settings as they were.
        mainWindow_ = nullptr;
        try {
            window.endDialog();
        } catch (...) {
        }
        throw;
    }
    mainWindow_ = nullptr;
}

// The box is for the user; standard error and the exit status are for a script that
// started the program and sees no box.
void PaletteApp::reportStartFailure(const char* message) {
    exitStatus_ = 1;
    say(message);
    showMessageBox(message, MessageIcon::stop);
    if (message == kPaletteModeMessage)
        say("for an 8-bit screen of its own on this desktop, run: vexa --nested");
}

std::span<const CommandEntry<PaletteApp>> PaletteApp::commandTable() {
    static const CommandEntry<PaletteApp> table[] = {
        {ID_APP_ABOUT, &PaletteApp::about},
        {ID_HELP, &PaletteApp::help},
        {ID_APP_EXIT, &PaletteApp::exitApp},
    };
    return table;
}

void PaletteApp::onCommand(int id) {
    dispatchCommand(commandTable(), *this, id);
}

void PaletteApp::about() {
    showAbout(mainWindow_, appName_, settings_.versionText(), helpShowing_);
}

void PaletteApp::help() {
    showHelp(mainWindow_, appName_, helpShowing_);
}

void PaletteApp::endRun() {
    if (mainWindow_) mainWindow_->endDialog();
    // Dialogs run loops of their own until their window goes.
    while (Fl_Window* open = Fl::first_window()) open->hide();
}

void PaletteApp::saveWithoutDisplay() {
    if (mainWindow_) mainWindow_->handBackWithoutDisplay();
    if (!settings_.modified) return;
    SettingsBatch batch(settings_.key);
    settings_.save();
}

// Exit closes the main window as its close box does.
void PaletteApp::exitApp() {
    if (mainWindow_) mainWindow_->endDialog();
}

}  // namespace vexa
