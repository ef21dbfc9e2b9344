// `vexa --nested`: Vexa on a desktop whose screen has no palette, in an 8-bit screen of its
// own. It starts Xephyr at depth 8 in a window on the desktop, twm inside for colormap
// focus, Vexa and the command of the command line there, and ends them all, the server
// last, when Vexa ends, when the nested window is closed, or on SIGTERM, SIGINT or SIGHUP.
// On a palette desktop Vexa and the command run there instead. Missing pieces are named on
// standard error with the packages that bring them.
#pragma once

#include "app/command_line.h"

namespace vexa {

// Runs the session of `line` (action nested) to its end; the exit status.
int runNestedSession(const CommandLine& line);

}  // namespace vexa
