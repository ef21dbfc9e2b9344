#include "app/palette_app.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <exception>
#include <memory>

#include "app/platform_check.h"
#include "platform/message_box.h"
#include "settings/settings_batch.h"
#include "ui/about_window.h"
#include "ui/help_window.h"
#include "ui/palette_window.h"
#include "ui/resource_ids.h"
#include "ui/string_table.h"

namespace vexa {

PaletteApp::PaletteApp(Registry& registry, Display& display, std::uint32_t platformVersion)
    : appName_(applicationName()),
      settings_(registry),
      display_(display),
      platformVersion_(platformVersion) {}

void PaletteApp::startUp() {
    if (!platformSupported(platformVersion_)) {
        reportStartFailure(kPlatformMessage);
        return;
    }
    settings_.currentVersion = kProgramVersion;
    settings_.key.bind(settings_.key.root(), kCompanyName, appName_);
    {
        SettingsBatch batch(settings_.key);
        settings_.reset();
        settings_.load();
    }
    // The guard covers building the window; a failure of a running command is shown by the
    // window's dispatch.
    std::unique_ptr<PaletteWindow> window;
    try {
        window = std::make_unique<PaletteWindow>(settings_, appName_, display_, startOptions_,
                                                 [this](int id) { onCommand(id); });
    } catch (const PaletteModelError& error) {
        reportStartFailure(error.notPaletteDevice() ? kPaletteModeMessage : kNoMemoryMessage);
    } catch (const std::exception&) {
        reportStartFailure(kNoMemoryMessage);
    }
    if (window) {
        mainWindow_ = window.get();
        window->runModal();
        mainWindow_ = nullptr;
    }
    if (settings_.modified) {
        SettingsBatch batch(settings_.key);
        settings_.save();
    }
}

// The box is for the user; standard error and the exit status are for a script that
// started the program and sees no box.
void PaletteApp::reportStartFailure(const char* message) {
    startFailed_ = true;
    std::fprintf(stderr, "vexa: %s\n", message);
    std::fflush(stderr);
    showMessageBox(message, MessageIcon::stop);
    if (message == kPaletteModeMessage)
        std::fputs("vexa: for an 8-bit screen of its own on this desktop, run: vexa --nested\n",
                   stderr);
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
