#include "terminal_process.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>

namespace vexa::testing {
namespace {

// The shell command line that runs `argv` with its stderr on the terminal `slave`.
std::vector<std::string> onTerminal(int master, const std::vector<std::string>& argv) {
    const char* slave = master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0
                            ? ::ptsname(master)
                            : nullptr;
    if (!slave) throw std::runtime_error("no pseudo-terminal");
    std::vector<std::string> command{"sh", "-c", std::string("exec \"$@\" 2>") + slave, "sh"};
    command.insert(command.end(), argv.begin(), argv.end());
    return command;
}

}  // namespace

TerminalProcess::TerminalProcess(const std::vector<std::string>& argv)
    : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)), process_(onTerminal(master_, argv)) {}

TerminalProcess::~TerminalProcess() {
    if (master_ >= 0) ::close(master_);
}

bool TerminalProcess::waitForText(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const std::size_t at = output_.find(text, seen_); at != std::string::npos) {
            seen_ = at + text.size();
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd{master_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0) return false;
        char chunk[4096];
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0) return false;  // EIO once the program and the shell are gone
        output_.append(chunk, static_cast<std::size_t>(n));
    }
}

std::optional<int> TerminalProcess::wait(std::chrono::milliseconds timeout) {
    return process_.wait(timeout);
}

}  // namespace vexa::testing
