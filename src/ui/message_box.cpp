#include "ui/message_box.h"

#include "ui/message_window.h"

namespace vexa {

void showMessageBox(const std::string& text, MessageIcon icon) {
    static const MessageSymbol stop{"X", FL_OVAL_BOX, FL_RED, FL_WHITE};
    static const MessageSymbol exclamation{"!", FL_FLAT_BOX, FL_YELLOW, FL_BLACK};
    runMessageWindow("Vexa", text, icon == MessageIcon::stop ? stop : exclamation, "OK", nullptr);
}

void showFailure(const CommandFailure& failure) {
    if (failure.shown()) showMessageBox(failure.message(), failure.icon());
}

}  // namespace vexa
