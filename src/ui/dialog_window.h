// A modal FLTK window built from a dialog template: the template's controls at their
// converted positions, the default button pressed by Enter, Esc and the close box ending
// the run, and F1 without Shift, Ctrl or Alt handed to a help action.
#pragma once

#include <FL/Fl_Window.H>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/top_level_window.h"
#include "ui/dialog_template.h"

namespace vexa {

// The template font ("MS Sans Serif", 8 points) and the size of its dialog units.
inline constexpr int kDialogFontSize = 11;
DialogBaseUnits dialogBaseUnits();
// The client size of a window built from `dialog`, in pixels of the dialog font's units.
PixelRect windowSize(const DialogTemplate& dialog);

// The window that owns new pop-ups of `mainWindow`: the modal window shown last while the
// main window runs, or the main window itself when none is shown.
Fl_Window* lastActivePopup(Fl_Window* mainWindow);

// True while the current FL_KEYBOARD or FL_SHORTCUT event is F1 without Shift, Ctrl or Alt.
bool isHelpKeyEvent();

class DialogWindow : public Fl_Window, public TopLevelWindow {
  public:
    DialogWindow(const DialogTemplate& dialog, std::string appName);

    // Prepares the controls, shows the window centred over `owner` and above it, modal, and
    // returns when the window closes. With no owner the window is centred on the screen.
    void runModal(Fl_Window* owner);
    // What F1 without Shift, Ctrl or Alt does while this window has the keyboard.
    void onHelpKey(std::function<void()> action) { helpKey_ = std::move(action); }

    int handle(int event) override;

  protected:
    // Fills the controls before the window is shown. A failure raised here is shown as a
    // command's failure is, the remaining steps are skipped and the window opens all the
    // same, with no control focused.
    virtual void initDialog() {}

    Fl_Widget* control(int id) const;
    // Sets a static control's text, copied and shown as it is (no mnemonics).
    void setText(int id, const std::string& text);
    // The title: the template caption used as a format with the application name.
    void formatTitle();

  private:
    static void buttonPressed(Fl_Widget* button, long command);
    void addControls(const DialogTemplate& dialog, DialogBaseUnits units);
    void centreOver(Fl_Window* owner);
    // Focuses the first control that takes the keyboard, or, with `none`, no control.
    void focusFirstTabStop(bool none);
    // The texts of the labelled controls in template order, each ended by a zero byte but the
    // last: the window's X property VEXA_DIALOG_TEXT, for tools that read what it says.
    std::string controlTexts() const;

    std::string appName_;
    std::string caption_;
    std::vector<std::pair<int, Fl_Widget*>> controls_;
    std::function<void()> helpKey_;
    // Set when the window opens with no control focused.
    bool focusNothing_ = false;
};

}  // namespace vexa
