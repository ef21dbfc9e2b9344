// What a child of the session does between fork and exec, where only async-signal-safe
// calls may run: it takes its own process group, asks for SIGTERM when the session goes,
// gets a fresh program's signal dispositions and mask, exactly the descriptors it is handed,
// and becomes the program. A step that fails is reported on a pipe to the parent.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace vexa::nested {

// Everything the child needs, made before the fork: the child may not allocate.
struct ChildPlan {
    const char* path;
    char* const* argv;
    char* const* envp;
    const std::vector<std::pair<int, int>>* fds;  // (descriptor here, number in the program)
    int* moved;                                   // room for a copy of each
    int lowestFree;                               // above every number handed in
    bool nullInput;
    bool terminalStopsIgnored;
    sigset_t keptIgnored;
    pid_t session;
    int report;  // close-on-exec; gets {step, errno} when a step fails
};

// Called in the child with every signal blocked; never returns.
[[noreturn]] void becomeProgram(const ChildPlan& plan);

// What the parent says about the {step, error} a child reported.
std::string childFailure(int step, int error);

}  // namespace vexa::nested
