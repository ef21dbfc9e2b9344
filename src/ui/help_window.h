// The Help window: the help text in a read-only, word-wrapped text box, and Close.
#pragma once

#include <string>

#include "ui/dialog_window.h"
#include "ui/read_only_text_box.h"

namespace vexa {

class HelpWindow : public DialogWindow {
  public:
    HelpWindow(const std::string& appName, std::string resourceName);

    ReadOnlyTextBox* textBox() const;

  protected:
    // Raises the out-of-memory failure when the text resource cannot be loaded.
    void initDialog() override;

  private:
    std::string resourceName_;
};

// Runs the Help window with the text resource "HELP" modally over the last active pop-up of
// `mainWindow` (the About window when asked for from there), which stays disabled
// meanwhile. `showing`, kept by the caller, is true while a Help window is built or running:
// the call then does nothing, so that at most one exists.
void showHelp(Fl_Window* mainWindow, const std::string& appName, bool& showing);

}  // namespace vexa
