// `vexa --nested`: Vexa on a desktop whose screen has no palette, in an 8-bit screen of its
// own. The session starts Xephyr at depth 8 in a window on the desktop, twm inside for
// colormap focus, Vexa and the command of the command line there; on a palette desktop Vexa
// and the command run there instead. It owns every one of these programs, and only it reads
// the end signals.
//
// Whatever ends the session (Vexa's end aside), the end comes in one order: Vexa alone
// first, with the time it needs to save its settings as its close box does, while its
// window manager and screen still stand; then the command; then twm; then the server.
// Xephyr takes no close request in a window of its own (a window manager's close button
// then cuts it off, and its clients with it), so the session makes the nested window and
// Xephyr draws inside it: closing it, or destroying it, ends the session in that order.
//
// The command's standard input is the session's own, unless that is a terminal: then it is
// /dev/null. The terminal stays with the session, in the foreground, so that Ctrl+C there
// ends the session in order; a command in a background group reading it would be stopped
// by SIGTTIN without anyone noticing. For the same reason the command ignores SIGTTIN and
// SIGTTOU: a read of /dev/tty fails at once instead of stopping it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "platform/nested_window.h"

namespace vexa::nested {

// What the session runs, as the caller worked it out from the command line and the desktop.
struct SessionPlan {
    std::string desktop;  // the display the session runs on, ":0"
    // Xephyr and twm, found; empty on a palette desktop, where the programs run directly.
    std::string xephyr, twm;
    Size size;  // of the nested screen
    bool softwareCursor = false;
    std::string vexa;  // Vexa's program file
    std::vector<std::string> vexaArgv;
    std::optional<std::string> command;  // the command's program file
    std::vector<std::string> commandArgv;
    std::vector<std::string> environment;
};

// Runs the session to its end; the exit status (see sessionStatus). The nested screen is
// shown in `window` when given, else in a window of the server's own.
int runSession(const SessionPlan& plan, NestedWindow* window);

}  // namespace vexa::nested
