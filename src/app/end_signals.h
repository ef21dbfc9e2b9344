// SIGTERM, SIGINT and SIGHUP as requests to end a session in order: the handler only notes
// the signal on a pipe, which the session's loop polls beside its other events. A signal
// that whoever started the program ignores (nohup) stays ignored, for the program and the
// programs it starts.
#pragma once

namespace vexa {

// Installs the handlers; false when the pipe cannot be made.
bool watchEndSignals();
// Readable once a signal was noted.
int endSignalFd();
// The signal noted first and not yet taken, or 0.
int takeEndSignal();

}  // namespace vexa
