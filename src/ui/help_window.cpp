#include "ui/help_window.h"

#include "ui/about_texts.h"
#include "ui/load_text_resource.h"
#include "base/command_failure.h"

namespace vexa {
namespace {

bool helpIsShowing = false;

}  // namespace

HelpWindow::HelpWindow(const std::string& appName, std::string resourceName)
    : DialogWindow(*findDialogTemplate(IDD_HELP_WINDOW), appName),
      resourceName_(std::move(resourceName)) {}

ReadOnlyTextBox* HelpWindow::textBox() const {
    return static_cast<ReadOnlyTextBox*>(control(IDC_HELP_TEXT));
}

void HelpWindow::initDialog() {
    formatTitle();
    std::string text;
    if (!loadTextResource(resourceName_.c_str(), "TXT", text)) throw CommandFailure::outOfMemory();
    textBox()->text(toDisplayLineEnds(text));
}

bool helpShowing() {
    return helpIsShowing;
}

void showHelp(Fl_Window* mainWindow, const std::string& appName) {
    if (helpIsShowing) return;
    helpIsShowing = true;
    struct ClearOnExit {
        ~ClearOnExit() { helpIsShowing = false; }
    } clearOnExit;
    HelpWindow help(appName, "HELP");
    help.onHelpKey([mainWindow, appName] { showHelp(mainWindow, appName); });
    help.runModal(lastActivePopup(mainWindow));
}

}  // namespace vexa
