// SIGTERM, SIGINT and SIGHUP as requests to end in order, for every loop of the program
// (the window's, the nested session's, the commands for scripts): the handler only notes
// the signal on a pipe, which the loop polls beside its other events. A signal that
// whoever started the program ignores (nohup) stays ignored, for the program and for the
// programs it starts.
#pragma once

namespace vexa {

// Installs the handlers, once; false when the pipe cannot be made.
bool watchEndSignals();
// Readable once a signal was noted; -1 before watchEndSignals().
int endSignalFd();
// The signal noted first and not yet taken, or 0.
int takeEndSignal();

}  // namespace vexa
