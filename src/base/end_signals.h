// SIGTERM, SIGINT and SIGHUP as requests to end in order, for every loop of the program
// (the window's, the nested session's, the commands for scripts): the handler only notes
// the signal on a pipe, which the loop polls beside its other events. A signal that
// whoever started the program ignores (nohup) stays ignored, for the program and for the
// programs it starts.
#pragma once

#include <csignal>

namespace vexa {

inline constexpr int kEndSignals[] = {SIGHUP, SIGINT, SIGTERM};

// Installs the handlers, once; false when the pipe cannot be made.
bool watchEndSignals();
// Readable once a signal was noted; -1 before watchEndSignals().
int endSignalFd();
// The signal noted first and not yet taken, or 0.
int takeEndSignal();
// Ends the process as `signal` would have, had it not been caught: what a command that ran
// until it was interrupted does once it has finished its work.
void endAsSignalled(int signal);
// Whether end signal `number` was ignored when watchEndSignals() ran: it stays ignored, for
// the programs Vexa starts too.
bool endSignalIgnored(int number);

}  // namespace vexa
