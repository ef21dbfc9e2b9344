#include "ui/dialog_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cmath>

#include "base/command_failure.h"
#include "platform/window_colormap.h"
#include "platform/window_text.h"
#include "ui/about_texts.h"
#include "ui/app_icon.h"
#include "ui/command_table.h"
#include "ui/read_only_text_box.h"

namespace vexa {
namespace {

// The button that Enter (main or keypad) presses wherever the focus is, outlined in black
// as dialogs mark their default button.
class DefaultButton : public Fl_Button {
  public:
    using Fl_Button::Fl_Button;

    int handle(int event) override {
        if (event == FL_SHORTCUT &&
            (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter) &&
            !(Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT))) {
            simulate_key_action();
            do_callback();
            return 1;
        }
        return Fl_Button::handle(event);
    }

    void draw() override {
        Fl_Button::draw();
        fl_color(FL_BLACK);
        fl_rect(x(), y(), w(), h());
    }
};

}  // namespace

PixelRect windowSize(const DialogTemplate& dialog) {
    return dialogToPixels({0, 0, dialog.width, dialog.height}, dialogBaseUnits());
}

DialogBaseUnits dialogBaseUnits() {
    fl_open_display();
    fl_font(FL_HELVETICA, kDialogFontSize);
    const int alphabet = static_cast<int>(
        std::lround(fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")));
    return {averageCharWidth(alphabet), fl_height()};
}

Fl_Window* lastActivePopup(Fl_Window* mainWindow) {
    Fl_Window* modal = Fl::modal();
    if (modal && modal->shown()) return modal;
    return mainWindow;
}

bool isHelpKeyEvent() {
    return Fl::event_key() == FL_F + 1 && !(Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT));
}

DialogWindow::DialogWindow(const DialogTemplate& dialog, std::string appName)
    : Fl_Window(windowSize(dialog).width, windowSize(dialog).height),
      appName_(std::move(appName)),
      caption_(dialog.caption) {
    copy_label(caption_.c_str());
    addControls(dialog, dialogBaseUnits());
    end();
}

void DialogWindow::addControls(const DialogTemplate& dialog, DialogBaseUnits units) {
    for (const DialogControl& c : dialog.controls) {
        const PixelRect r = dialogToPixels(c.rect, units);
        Fl_Widget* widget = nullptr;
        switch (c.kind) {
            case ControlKind::icon: {
                // An icon control takes the size of its picture.
                auto* box = new Fl_Box(r.x, r.y, 32, 32);
                box->image(const_cast<Fl_RGB_Image*>(appIconOnBackground()));
                widget = box;
                break;
            }
            case ControlKind::text: {
                auto* box = new Fl_Box(r.x, r.y, r.width, r.height);
                box->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_CLIP);
                widget = box;
                break;
            }
            case ControlKind::sunkenFrame:
                widget = new Fl_Box(FL_THIN_DOWN_FRAME, r.x, r.y, r.width, r.height, nullptr);
                break;
            case ControlKind::button:
            case ControlKind::defaultButton: {
                Fl_Button* button = c.kind == ControlKind::defaultButton
                                        ? new DefaultButton(r.x, r.y, r.width, r.height)
                                        : new Fl_Button(r.x, r.y, r.width, r.height);
                button->callback(buttonPressed, static_cast<long>(c.id));
                widget = button;
                break;
            }
            case ControlKind::textBox:
                widget = new ReadOnlyTextBox(r.x, r.y, r.width, r.height);
                break;
        }
        widget->labelfont(FL_HELVETICA);
        widget->labelsize(kDialogFontSize);
        if (c.text && *c.text && c.kind != ControlKind::textBox) widget->copy_label(c.text);
        controls_.emplace_back(c.id, widget);
    }
}

Fl_Widget* DialogWindow::control(int id) const {
    for (const auto& [controlId, widget] : controls_) {
        if (controlId == id) return widget;
    }
    return nullptr;
}

void DialogWindow::setText(int id, const std::string& text) {
    if (Fl_Widget* widget = control(id)) widget->copy_label(toDisplayLineEnds(text).c_str());
}

void DialogWindow::formatTitle() {
    copy_label(formatWithName(caption_, appName_).c_str());
}

void DialogWindow::focusFirstTabStop(bool none) {
    focusNothing_ = none;
    if (none) {
        Fl::focus(this);
        return;
    }
    for (const auto& [id, widget] : controls_) {
        if (widget->visible_focus() && widget->take_focus()) return;
    }
}

std::string DialogWindow::controlTexts() const {
    std::string texts;
    for (const auto& [id, widget] : controls_) {
        if (!widget->label()) continue;
        if (!texts.empty()) texts += '\0';
        texts += widget->label();
    }
    return texts;
}

void DialogWindow::buttonPressed(Fl_Widget* button, long command) {
    if (command == IDOK || command == IDCANCEL) button->window()->hide();
}

void DialogWindow::centreOver(Fl_Window* owner) {
    int areaX = 0, areaY = 0, areaW = 0, areaH = 0;
    Fl::screen_work_area(areaX, areaY, areaW, areaH);
    int left = areaX + (areaW - w()) / 2;
    int top = areaY + (areaH - h()) / 2;
    if (owner && owner->shown()) {
        left = owner->x() + (owner->w() - w()) / 2;
        top = owner->y() + (owner->h() - h()) / 2;
    }
    left = std::max(areaX, std::min(left, areaX + areaW - w()));
    top = std::max(areaY, std::min(top, areaY + areaH - h()));
    position(left, top);
}

void DialogWindow::runModal(Fl_Window* owner) {
    const bool focusNothing = !runReportingFailures([this] { initDialog(); });
    centreOver(owner);
    setAppIcons(*this);
    set_modal();
    // FLTK makes a modal window transient for the window first in its list.
    if (owner && owner->shown()) Fl::first_window(owner);
    prepareWindowColormap();
    show();
    focusFirstTabStop(focusNothing);
    publishWindowText(*this, "VEXA_DIALOG_TEXT", controlTexts());
    while (shown()) Fl::wait();
}

int DialogWindow::handle(int event) {
    // When the window manager or the server gives the window the keyboard, FLTK would pass
    // it on to the first control; a window that opened with no control focused keeps it.
    if (event == FL_FOCUS && focusNothing_) return 1;
    if ((event == FL_KEYBOARD || event == FL_SHORTCUT) && Fl::event_key() == FL_F + 1) {
        // Only a plain F1 asks for help; F1 with a modifier is taken and ignored.
        if (isHelpKeyEvent() && helpKey_) {
            const std::function<void()> action = helpKey_;
            action();
        }
        return 1;
    }
    return Fl_Window::handle(event);
}

}  // namespace vexa
