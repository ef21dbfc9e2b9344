#include "nested/running_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "base/console.h"

namespace vexa::nested {

namespace {

using namespace std::chrono_literals;

// A server that has not opened its screen by then, on a machine however busy, will not.
constexpr auto kServerStartLimit = 15s;
// How long a server that closed its -displayfd without a number gets to tell how it ended.
constexpr auto kServerFailureGrace = 800ms;
// Where the child finds the descriptor it is handed: twm's configuration, Xephyr's number.
constexpr int kHandedFd = 3;

// Reads the first line from `fd` until the deadline, or until `interruptFd` is readable
// (then `interrupted`). Nothing when the writer closed it without a whole line or on time.
std::optional<std::string> readLine(int fd, int interruptFd, bool& interrupted,
                                    std::string& failure) {
    std::string text;
    const auto deadline = Clock::now() + kServerStartLimit;
    for (;;) {
        if (const std::size_t end = text.find('\n'); end != std::string::npos)
            return text.substr(0, end);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return std::nullopt;
        pollfd events[] = {{fd, POLLIN, 0}, {interruptFd, POLLIN, 0}};
        if (::poll(events, 2, static_cast<int>(left)) < 0) {
            if (errno == EINTR) continue;
            failure = systemFailure("wait for Xephyr");
            return std::nullopt;
        }
        if (events[1].revents != 0) {
            interrupted = true;
            return std::nullopt;
        }
        if (events[0].revents == 0) continue;
        char buffer[32];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got < 0) failure = systemFailure("read Xephyr's display number");
            return std::nullopt;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

std::optional<int> startServer(const ServerLaunch& launch, std::optional<ChildProcess>& server,
                               int interruptFd) {
    int number[2];
    if (::pipe2(number, O_CLOEXEC) != 0) {
        say(systemFailure("make a pipe for Xephyr's display number"));
        return std::nullopt;
    }
    std::vector<std::string> argv{"Xephyr"};
    for (std::string& argument : xephyrArguments(launch.size, kHandedFd, launch.softwareCursor, launch.parent))
        argv.push_back(std::move(argument));
    server = ChildProcess::start({"Xephyr",
                                  launch.path,
                                  argv,
                                  withVariable(launch.environment, "DISPLAY", launch.desktop),
                                  {{number[1], kHandedFd}},
                                  Input::null,
                                  true});
    ::close(number[1]);
    if (!server) {
        ::close(number[0]);
        return std::nullopt;
    }
    bool interrupted = false;
    std::string failure;
    const std::optional<std::string> line = readLine(number[0], interruptFd, interrupted, failure);
    ::close(number[0]);
    if (interrupted) return std::nullopt;
    if (line) {
        if (const std::optional<int> display = parseDisplayNumber(*line)) return display;
        failure = "Xephyr named no display number but \"" + *line + "\"";
    } else if (failure.empty()) {
        // Closed without a number: the server is ending; or it took too long.
        const bool ended = server->waitUntil(Clock::now() + kServerFailureGrace);
        failure = ended ? "Xephyr could not open an 8-bit screen on " + launch.desktop + " (it " +
                              server->howItEnded() + ")"
                        : "Xephyr did not open the 8-bit screen on " + launch.desktop +
                              " within " + std::to_string(kServerStartLimit.count()) + " seconds";
    }
    say(failure + ":\n" + server->lastMessages());
    return std::nullopt;
}

std::optional<ChildProcess> startWindowManager(const std::string& path, const std::string& display,
                                               const std::vector<std::string>& environment) {
    const int configuration = ::memfd_create("twmrc", MFD_CLOEXEC);
    if (configuration < 0) {
        say(systemFailure("make a file for twm's configuration"));
        return std::nullopt;
    }
    const std::string_view text = twmConfiguration();
    const ssize_t written = ::write(configuration, text.data(), text.size());
    if (written != static_cast<ssize_t>(text.size())) {
        if (written >= 0) errno = ENOSPC;
        say(systemFailure("write twm's configuration"));
        ::close(configuration);
        return std::nullopt;
    }
    std::optional<ChildProcess> manager =
        ChildProcess::start({"twm",
                             path,
                             {"twm", "-f", "/dev/fd/" + std::to_string(kHandedFd)},
                             withVariable(environment, "DISPLAY", display),
                             {{configuration, kHandedFd}},
                             Input::null,
                             true});
    ::close(configuration);
    return manager;
}

void removeServerLeftovers(int number, pid_t server) {
    const std::string socketPath = "/tmp/.X11-unix/X" + std::to_string(number);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe >= 0) {
        if (::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
            errno == ECONNREFUSED)
            ::unlink(socketPath.c_str());
        ::close(probe);
    }
    const std::string lockPath = "/tmp/.X" + std::to_string(number) + "-lock";
    long owner = 0;
    if (std::ifstream(lockPath) >> owner && owner == server) ::unlink(lockPath.c_str());
}

}  // namespace vexa::nested
