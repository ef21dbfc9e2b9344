#include "ui/help_window.h"

#include "base/command_failure.h"
#include "ui/about_texts.h"
#include "ui/load_text_resource.h"

namespace vexa {

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

void showHelp(Fl_Window* mainWindow, const std::string& appName, bool& showing) {
    if (showing) return;
    showing = true;
    struct ClearOnExit {
        bool& flag;
        ~ClearOnExit() { flag = false; }
    } clearOnExit{showing};
    HelpWindow help(appName, "HELP");
    help.onHelpKey([mainWindow, appName, &showing] { showHelp(mainWindow, appName, showing); });
    help.runModal(lastActivePopup(mainWindow));
}

}  // namespace vexa
