#include "ui/message_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <algorithm>

#include "platform/top_level_window.h"
#include "platform/window_colormap.h"
#include "platform/window_text.h"
#include "ui/literal_label.h"

namespace vexa {
namespace {

class MessageWindow : public Fl_Window, public TopLevelWindow {
  public:
    using Fl_Window::Fl_Window;
};

struct Answer {
    Fl_Window* window = nullptr;
    bool first = false;
};

void answerFirst(Fl_Widget*, void* data) {
    auto* answer = static_cast<Answer*>(data);
    answer->first = true;
    answer->window->hide();
}

void answerOther(Fl_Widget*, void* data) {
    auto* answer = static_cast<Answer*>(data);
    answer->first = false;
    answer->window->hide();
}

}  // namespace

bool runMessageWindow(const std::string& caption, const std::string& text,
                      const MessageSymbol& symbol, const char* first, const char* second) {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    int textW = 360, textH = 0;
    const std::string lines = fittedLines(text, textW);
    fl_measure(lines.c_str(), textW, textH, 0);
    const int w = std::max(textW, 200) + 90;
    const int h = std::max(textH, 34) + 70;

    Answer answer;
    MessageWindow box(w, h);
    box.copy_label(caption.c_str());
    answer.window = &box;
    box.callback(answerOther, &answer);  // Esc and the close box
    Fl_Box sign(15, 15, 34, 34, symbol.text);
    sign.box(symbol.box);
    sign.color(symbol.color);
    sign.labelcolor(symbol.labelColor);
    sign.labelfont(FL_HELVETICA_BOLD);
    sign.labelsize(22);
    Fl_Box message(65, 15, w - 80, std::max(textH, 34));
    message.copy_label(literalLabel(lines).c_str());
    message.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    const int buttons = second ? 2 : 1;
    const int x = w / 2 - (buttons * 90 - 10) / 2;
    Fl_Return_Button firstButton(x, h - 40, 80, 26, first);
    firstButton.callback(answerFirst, &answer);
    Fl_Button secondButton(x + 90, h - 40, 80, 26, second);
    secondButton.callback(answerOther, &answer);
    if (!second) secondButton.hide();
    box.end();
    // Centred on the screen, as the user expects of a message that has no place of its own.
    box.position((Fl::w() - w) / 2, (Fl::h() - h) / 2);
    box.set_modal();
    prepareWindowColormap();
    box.show();
    publishWindowText(box, "VEXA_MESSAGE_TEXT", text);
    while (box.shown()) Fl::wait();
    return answer.first;
}

}  // namespace vexa
