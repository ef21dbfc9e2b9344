// The small modal windows that the file dialogs show on their own behalf: a question
// answered Yes or No, and a notice answered OK. Like the message box, each window carries
// its text in the STRING property VEXA_MESSAGE_TEXT so that tools can read what it says.
#pragma once

#include <string>

namespace vexa {

// Asks `text` in a window captioned `caption`; true when the answer is Yes. Enter answers
// Yes, Esc and the close box answer No.
bool askYesNo(const std::string& caption, const std::string& text);

// Shows `text` in a window captioned `caption` until the user presses OK.
void showNotice(const std::string& caption, const std::string& text);

}  // namespace vexa
