#include "ui/about_window.h"

#include "ui/about_texts.h"
#include "ui/help_window.h"
#include "ui/load_text_resource.h"
#include "ui/string_table.h"

namespace vexa {
namespace {

// The notice panel's font: Arial-like, 9 pixels high, smaller than the dialog font.
constexpr int kNoticeFontSize = 9;

}  // namespace

AboutWindow::AboutWindow(const std::string& appName, std::string nameAndVersion,
                         std::string rightsNotice, const std::string& description)
    : DialogWindow(*findDialogTemplate(IDD_ABOUT_WINDOW), appName),
      description_(describeBuild(description)),
      nameAndVersion_(std::move(nameAndVersion)),
      rightsNotice_(std::move(rightsNotice)) {}

void AboutWindow::initDialog() {
    if (Fl_Widget* notice = control(IDC_ABOUT_NOTICE)) {
        notice->labelfont(FL_HELVETICA);
        notice->labelsize(kNoticeFontSize);
    }
    // A text that cannot be loaded leaves its part of the panel empty.
    std::string licence, disclaimer;
    loadTextResource(kLicenceResourceName, "TXT", licence);
    loadTextResource("AboutDis", "TXT", disclaimer);
    setText(IDC_ABOUT_NOTICE, noticeText(licence, disclaimer));
    formatTitle();
    setText(IDC_ABOUT_DESCRIPTION, description_);
    setText(IDC_ABOUT_NAME, nameAndVersion_);
    setText(IDC_ABOUT_RIGHTS, rightsNotice_);
}

void showAbout(Fl_Window* mainWindow, const std::string& appName, const std::string& versionText,
               bool& helpShowing) {
    Fl_Window* owner = lastActivePopup(mainWindow);
    AboutWindow about(appName, nameAndVersion(appName, versionText),
                      loadString(IDS_RIGHTS_NOTICE).value_or(std::string()), kProductDescription);
    about.onHelpKey(
        [mainWindow, appName, &helpShowing] { showHelp(mainWindow, appName, helpShowing); });
    about.runModal(owner);
}

}  // namespace vexa
