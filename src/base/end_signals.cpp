#include "base/end_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace vexa {

namespace {

int signalPipe[2] = {-1, -1};
bool ignoredAtStart[NSIG] = {};

void noteSignal(int number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    // A full pipe already holds a request to end.
    [[maybe_unused]] ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

bool watchEndSignals() {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = noteSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int number : kEndSignals) {
        struct sigaction current {};
        if (::sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
            ignoredAtStart[number] = true;
            continue;
        }
        ::sigaction(number, &action, nullptr);
    }
    return true;
}

bool endSignalIgnored(int number) {
    return number > 0 && number < NSIG && ignoredAtStart[number];
}

int endSignalFd() {
    return signalPipe[0];
}

int takeEndSignal() {
    unsigned char byte = 0;
    return ::read(signalPipe[0], &byte, 1) == 1 ? byte : 0;
}

void endAsSignalled(int signal) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

}  // namespace vexa
