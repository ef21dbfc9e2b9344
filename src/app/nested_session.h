// `vexa --nested` from the command line: the desktop looked at, the programs found, and the
// session (nested/session.h) run with what was found.
#pragma once

#include "app/command_line.h"

namespace vexa {

// Runs the session of `line` (action nested) to its end; the exit status.
int runNestedSession(const CommandLine& line);

}  // namespace vexa
