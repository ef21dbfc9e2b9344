// The About window: icon, name and version, rights notice, description with build date,
// the licence terms and disclaimer in a smaller font, the web-site line and OK.
#pragma once

#include <string>

#include "ui/dialog_window.h"

namespace vexa {

class AboutWindow : public DialogWindow {
  public:
    // Keeps the name and version and the rights notice as given; the description gets the
    // build date on a second line.
    AboutWindow(const std::string& appName, std::string nameAndVersion, std::string rightsNotice,
                const std::string& description);

  protected:
    void initDialog() override;

  private:
    std::string description_;
    std::string nameAndVersion_;
    std::string rightsNotice_;
};

// Runs the About window modally over the last active pop-up of `mainWindow` (the main
// window itself when it has none), which stays disabled meanwhile. `versionText` is the
// running version, "1.6". F1 in the window opens the Help window above it (see showHelp).
void showAbout(Fl_Window* mainWindow, const std::string& appName, const std::string& versionText,
               bool& helpShowing);

}  // namespace vexa
