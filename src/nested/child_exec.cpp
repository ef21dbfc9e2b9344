#include "nested/child_exec.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vexa::nested {

namespace {

enum Step { exec, endSignal, descriptor, nullInput, otherDescriptors };

[[noreturn]] void fail(int report, Step step) {
    const int failure[2] = {step, errno};
    [[maybe_unused]] ssize_t ignored = ::write(report, failure, sizeof failure);
    ::_exit(127);
}

// `from` as number `to` in the program (dup2 keeps the flag when they are the same).
bool placeAt(int from, int to) {
    if (from == to) return ::fcntl(to, F_SETFD, 0) == 0;
    return ::dup2(from, to) == to;
}

}  // namespace

void becomeProgram(const ChildPlan& plan) {
    ::setpgid(0, 0);
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0) fail(plan.report, endSignal);
    // The session went before the request took effect.
    if (::getppid() != plan.session) ::_exit(1);
    // A fresh program's dispositions, before a signal can reach the session's handlers.
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    for (int number = 1; number < NSIG; ++number) {
        if (number == SIGKILL || number == SIGSTOP) continue;
        const bool ignored =
            sigismember(&plan.keptIgnored, number) == 1 ||
            (plan.terminalStopsIgnored && (number == SIGTTIN || number == SIGTTOU));
        action.sa_handler = ignored ? SIG_IGN : SIG_DFL;
        ::sigaction(number, &action, nullptr);
    }
    // Out of the way of every number handed in first, then into place.
    const auto& fds = *plan.fds;
    for (std::size_t i = 0; i < fds.size(); ++i)
        if ((plan.moved[i] = ::fcntl(fds[i].first, F_DUPFD_CLOEXEC, plan.lowestFree)) < 0)
            fail(plan.report, descriptor);
    if (plan.nullInput) {
        const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (null < 0 || !placeAt(null, 0)) fail(plan.report, nullInput);
    }
    // Everything above 2 goes at the exec (the report pipe must live until then), but for
    // the numbers handed in.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) fail(plan.report, otherDescriptors);
    for (std::size_t i = 0; i < fds.size(); ++i)
        if (!placeAt(plan.moved[i], fds[i].second)) fail(plan.report, descriptor);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(plan.path, plan.argv, plan.envp);
    fail(plan.report, exec);
}

std::string childFailure(int step, int error) {
    static const char* const steps[] = {"", "ask for the end signal: ", "hand a descriptor: ",
                                        "open /dev/null: ", "close the other descriptors: "};
    const bool known = step >= 0 && step < static_cast<int>(std::size(steps));
    return std::string(known ? steps[step] : "") + std::strerror(error);
}

}  // namespace vexa::nested
