#include "ui/read_only_text_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Scrollbar.H>

#include <cstdlib>

#include "ui/dialog_window.h"

namespace vexa {

ReadOnlyTextBox::ReadOnlyTextBox(int x, int y, int w, int h) : Fl_Text_Display(x, y, w, h) {
    box(FL_BORDER_BOX);
    color(FL_BACKGROUND2_COLOR);
    textfont(FL_HELVETICA);
    textsize(kDialogFontSize);
    buffer(&buffer_);
    wrap_mode(WRAP_AT_BOUNDS, 0);
}

ReadOnlyTextBox::~ReadOnlyTextBox() {
    // Detach before the member buffer goes, since the base destructor talks to its buffer.
    buffer(nullptr);
}

void ReadOnlyTextBox::text(const std::string& text) {
    buffer_.text(text.c_str());
    buffer_.unselect();
    insert_position(0);
    scroll(1, 0);
}

std::string ReadOnlyTextBox::text() const {
    char* copy = const_cast<Fl_Text_Buffer&>(buffer_).text();
    std::string result = copy ? copy : "";
    std::free(copy);
    return result;
}

int ReadOnlyTextBox::handle(int event) {
    if (event == FL_FOCUS && Fl::event() == FL_KEYBOARD && Fl::event_key() == FL_Tab) {
        // Arriving by Tab selects the whole text, ready to be copied.
        buffer_.select(0, buffer_.length());
    }
    if (event != FL_KEYBOARD) return Fl_Text_Display::handle(event);
    if (Fl_Text_Display::handle(event)) return 1;
    // Keys that would type or delete are taken and dropped: they must neither change the
    // text nor press a button through its mnemonic. Enter, Esc, Tab, function keys and
    // Alt combinations go on to the window.
    const int key = Fl::event_key();
    if (key == FL_Enter || key == FL_KP_Enter || key == FL_Escape || key == FL_Tab) return 0;
    if (key >= FL_F && key <= FL_F_Last) return 0;
    if (Fl::event_state() & (FL_ALT | FL_CTRL | FL_META)) return 0;
    return Fl::event_length() > 0 || key == FL_BackSpace || key == FL_Delete;
}

void ReadOnlyTextBox::resize(int x, int y, int w, int h) {
    Fl_Text_Display::resize(x, y, w, h);
    // The vertical scroll bar stays even when the whole text fits (or there is none).
    if (!mVScrollBar->visible() && scrollbar_width() > 0) {
        const int inset = Fl::box_dx(box());
        text_area.w -= scrollbar_width();
        mVScrollBar->resize(x + w - inset - scrollbar_width(), y + Fl::box_dy(box()),
                            scrollbar_width(), h - Fl::box_dh(box()));
        mVScrollBar->set_visible();
        mVScrollBar->value(0, 1, 0, 1);
    }
}

}  // namespace vexa
