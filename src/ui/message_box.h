// A small modal message box captioned "Vexa" with one OK button and a stop or
// exclamation icon. The window carries its text in the STRING property
// VEXA_MESSAGE_TEXT, so that tools outside the program can read what it says.
#pragma once

#include <string>

#include "base/command_failure.h"

namespace vexa {

// Shows `text` and returns when the user dismisses the box.
void showMessageBox(const std::string& text, MessageIcon icon);

// How every window shows a failure: its message with its icon; a silent one shows nothing.
void showFailure(const CommandFailure& failure);

}  // namespace vexa
