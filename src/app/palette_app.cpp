#include "app/palette_app.h"

#include <cstdio>
#include <exception>

#include "app/about_window.h"
#include "app/help_window.h"
#include "app/platform_check.h"
#include "app/string_table.h"
#include "palette_window/command_ids.h"
#include "palette_window/palette_window.h"
#include "platform/message_box.h"

namespace vexa {

PaletteApp::PaletteApp(Registry& registry, Display& display, std::uint32_t platformVersion)
    : appName_(applicationName()),
      settings_(registry),
      display_(display),
      platformVersion_(platformVersion) {
    setCurrentApp(this);
}

PaletteApp::~PaletteApp() {
    setCurrentApp(nullptr);
}

bool PaletteApp::startUp() {
    if (!platformSupported(platformVersion_)) {
        reportStartFailure(kPlatformMessage);
        return false;
    }
    const char* failureMessage = nullptr;
    try {
        companyName_ = kCompanyName;
        profileName_ = appName_;
        settings_.currentVersion = kProgramVersion;
        settings_.key.bind(settings_.key.root());
        settings_.reset();
        settings_.load();
        PaletteWindow window(*this, display_);
        mainWindow_ = &window;
        window.runModal();
        mainWindow_ = nullptr;
    } catch (const PaletteModelError& error) {
        failureMessage = error.notPaletteDevice() ? kPaletteModeMessage : kNoMemoryMessage;
    } catch (const std::exception&) {
        failureMessage = kNoMemoryMessage;
    }
    mainWindow_ = nullptr;
    if (failureMessage) reportStartFailure(failureMessage);
    if (settings_.modified) settings_.save();
    return false;
}

// The box is for the user; standard error and the exit status are for a script that
// started the program and sees no box.
void PaletteApp::reportStartFailure(const char* message) {
    startFailed_ = true;
    std::fprintf(stderr, "vexa: %s\n", message);
    std::fflush(stderr);
    showMessageBox(message, MessageIcon::stop);
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
    showAbout(mainWindow_, appName_, settings_.versionText());
}

void PaletteApp::help() {
    showHelp(mainWindow_, appName_);
}

// Exit closes the main window as its close box does.
void PaletteApp::exitApp() {
    if (mainWindow_) mainWindow_->endDialog();
}

}  // namespace vexa
