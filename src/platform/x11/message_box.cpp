#include "platform/message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include "platform/x11/literal_label.h"

namespace vexa {
namespace {

void closeBox(Fl_Widget* widget, void*) {
    widget->window()->hide();
}

// Puts the message text on the box's X window for tools that read it.
void publishText(Fl_Window& box, const std::string& text) {
    Window xid = fl_xid(&box);
    if (!xid) return;
    Atom property = XInternAtom(fl_display, "VEXA_MESSAGE_TEXT", False);
    XChangeProperty(fl_display, xid, property, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()),
                    static_cast<int>(text.size()));
    XFlush(fl_display);
}

}  // namespace

void showMessageBox(const std::string& text, MessageIcon icon) {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    int textW = 340, textH = 0;
    const std::string lines = fittedLines(text, textW);
    fl_measure(lines.c_str(), textW, textH, 0);
    const int w = std::max(textW, 160) + 90;
    const int h = std::max(textH, 34) + 70;

    Fl_Window box(w, h, "Vexa");
    Fl_Box symbol(15, 15, 34, 34, icon == MessageIcon::stop ? "X" : "!");
    symbol.box(icon == MessageIcon::stop ? FL_OVAL_BOX : FL_FLAT_BOX);
    symbol.color(icon == MessageIcon::stop ? FL_RED : FL_YELLOW);
    symbol.labelcolor(icon == MessageIcon::stop ? FL_WHITE : FL_BLACK);
    symbol.labelfont(FL_HELVETICA_BOLD);
    symbol.labelsize(22);
    Fl_Box message(65, 15, w - 80, std::max(textH, 34), nullptr);
    message.copy_label(literalLabel(lines).c_str());
    message.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    Fl_Return_Button ok(w / 2 - 40, h - 40, 80, 26, "OK");
    ok.callback(closeBox);
    box.end();
    // Centred on the screen, as the user expects of a message that has no place of its own.
    box.position((Fl::w() - w) / 2, (Fl::h() - h) / 2);
    box.set_modal();
    box.show();
    publishText(box, text);
    while (box.shown()) Fl::wait();
}

}  // namespace vexa
