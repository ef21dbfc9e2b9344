// The running 8-bit screen: Xephyr drawing in the session's window on the desktop, its
// display number read from -displayfd within a bound (no race for a free number), and twm
// in it with Vexa's own configuration. Their messages are kept aside and shown only when
// they fail. The session owns both processes; these functions start them and clean up
// after the server.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "nested/child_process.h"
#include "nested/screen_plan.h"

namespace vexa::nested {

struct ServerLaunch {
    std::string path;  // Xephyr
    std::string desktop;
    Size size;
    bool softwareCursor = false;
    unsigned long parent = 0;  // the desktop's window to draw in, or 0 for one of its own
    std::vector<std::string> environment;
};

// Starts Xephyr into `server` (so that its owner ends it whatever happens next) and waits
// until it takes connections. Its display number; nothing when it failed (said on standard
// error) or when `interruptFd` became readable first.
std::optional<int> startServer(const ServerLaunch& launch, std::optional<ChildProcess>& server,
                               int interruptFd);

// twm on `display`, its configuration on a descriptor of its own; nothing when it cannot
// start (said on standard error).
std::optional<ChildProcess> startWindowManager(const std::string& path, const std::string& display,
                                               const std::vector<std::string>& environment);

// A killed X server leaves its socket (and, without -displayfd, its lock file) behind. They
// go once nothing answers on the socket and the lock names the server's process.
void removeServerLeftovers(int number, pid_t server);

}  // namespace vexa::nested
