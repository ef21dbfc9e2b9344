#include "ui/question_box.h"

#include "ui/message_window.h"

namespace vexa {

bool askYesNo(const std::string& caption, const std::string& text) {
    static const MessageSymbol question{"?", FL_OVAL_BOX, FL_BLUE, FL_WHITE};
    return runMessageWindow(caption, text, question, "&Yes", "&No");
}

void showNotice(const std::string& caption, const std::string& text) {
    static const MessageSymbol notice{"i", FL_OVAL_BOX, FL_BLUE, FL_WHITE};
    runMessageWindow(caption, text, notice, "OK", nullptr);
}

}  // namespace vexa
