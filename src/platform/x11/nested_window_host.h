// The X11 nested window (platform/nested_window.h): a top-level window on the desktop that
// takes the close request (WM_DELETE_WINDOW), gives the keyboard focus it gets to the
// server's window inside it, and ends with a close request, its destruction or the
// desktop's end.
#pragma once

#include <memory>
#include <string>

#include "platform/nested_window.h"

namespace vexa {

// Connects to `displayName` at once; nothing when the display does not open.
std::unique_ptr<NestedWindow> nestedWindowOn(const std::string& displayName);

}  // namespace vexa
