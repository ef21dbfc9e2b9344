#include "platform/x11/question_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <algorithm>

#include "platform/x11/literal_label.h"

namespace vexa {
namespace {

struct Answer {
    Fl_Window* window = nullptr;
    bool yes = false;
};

void answerYes(Fl_Widget*, void* data) {
    auto* answer = static_cast<Answer*>(data);
    answer->yes = true;
    answer->window->hide();
}

void answerNo(Fl_Widget*, void* data) {
    auto* answer = static_cast<Answer*>(data);
    answer->yes = false;
    answer->window->hide();
}

void publishText(Fl_Window& window, const std::string& text) {
    const Window xid = fl_xid(&window);
    if (!xid) return;
    const Atom property = XInternAtom(fl_display, "VEXA_MESSAGE_TEXT", False);
    XChangeProperty(fl_display, xid, property, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()),
                    static_cast<int>(text.size()));
    XFlush(fl_display);
}

// Runs one box with the buttons named in `labels` (one or two); true when the first one,
// the default, was pressed.
bool runBox(const std::string& caption, const std::string& text, const char* symbolText,
            const char* first, const char* second) {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    int textW = 360, textH = 0;
    const std::string lines = fittedLines(text, textW);
    fl_measure(lines.c_str(), textW, textH, 0);
    const int w = std::max(textW, 200) + 90;
    const int h = std::max(textH, 34) + 70;

    Answer answer;
    Fl_Window box(w, h);
    box.copy_label(caption.c_str());
    answer.window = &box;
    box.callback(answerNo, &answer);  // Esc and the close box
    Fl_Box symbol(15, 15, 34, 34, symbolText);
    symbol.box(FL_OVAL_BOX);
    symbol.color(FL_BLUE);
    symbol.labelcolor(FL_WHITE);
    symbol.labelfont(FL_HELVETICA_BOLD);
    symbol.labelsize(22);
    Fl_Box message(65, 15, w - 80, std::max(textH, 34));
    message.copy_label(literalLabel(lines).c_str());
    message.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    const int buttons = second ? 2 : 1;
    int x = w / 2 - (buttons * 90 - 10) / 2;
    Fl_Return_Button firstButton(x, h - 40, 80, 26, first);
    firstButton.callback(answerYes, &answer);
    Fl_Button secondButton(x + 90, h - 40, 80, 26, second);
    secondButton.callback(answerNo, &answer);
    if (!second) secondButton.hide();
    box.end();
    box.position((Fl::w() - w) / 2, (Fl::h() - h) / 2);
    box.set_modal();
    box.show();
    publishText(box, text);
    while (box.shown()) Fl::wait();
    return answer.yes;
}

}  // namespace

bool askYesNo(const std::string& caption, const std::string& text) {
    return runBox(caption, text, "?", "&Yes", "&No");
}

void showNotice(const std::string& caption, const std::string& text) {
    runBox(caption, text, "i", "OK", nullptr);
}

}  // namespace vexa
