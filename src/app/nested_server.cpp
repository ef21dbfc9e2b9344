#include "app/nested_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "base/end_signals.h"

namespace vexa {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A server that has not opened its screen by then, on a machine however busy, will not.
constexpr auto kServerStartLimit = 15s;
// How long the server gets for an orderly end before it is killed.
constexpr auto kServerPatience = 800ms;
// Where twm finds its configuration: a descriptor of its own.
constexpr int kConfigurationFd = 3;
constexpr int kNumberFd = 3;

// The last lines a program wrote to its message file, at most `count`.
std::string messages(int fd, std::size_t count = 12) {
    struct stat file {};
    const off_t size = ::fstat(fd, &file) == 0 ? file.st_size : 0;
    const off_t from = size > 4096 ? size - 4096 : 0;
    std::string text(static_cast<std::size_t>(size - from), '\0');
    const ssize_t got = ::pread(fd, text.data(), text.size(), from);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    if (text.empty()) return text;
    if (text.back() != '\n') text += '\n';
    std::size_t start = text.size() - 1;
    for (std::size_t lines = 0; lines < count; ++lines) {
        const std::size_t newline = start == 0 ? std::string::npos : text.rfind('\n', start - 1);
        if (newline == std::string::npos) return text;
        start = newline;
    }
    return text.substr(start + 1);
}

std::string howItEnded(int status) {
    if (WIFSIGNALED(status)) return "was killed by signal " + std::to_string(WTERMSIG(status));
    return "ended with status " + std::to_string(WEXITSTATUS(status));
}

std::optional<SessionChild> start(const Launch& launch, const std::string& name) {
    std::string error;
    std::optional<SessionChild> child = SessionChild::start(launch, error);
    if (!child) say("vexa: cannot run " + name + ": " + error + "\n");
    return child;
}

// A killed X server leaves its socket (and, without -displayfd, its lock file) behind.
// They go once nothing answers on the socket and the lock names the server's process.
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

}  // namespace

void say(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

NestedServer::~NestedServer() {
    end();
    for (int fd : {serverLog_, managerLog_})
        if (fd >= 0) ::close(fd);
}

bool NestedServer::open(const std::string& xephyr, const std::string& twm,
                        const std::string& desktop, ScreenSize size, bool softwareCursor,
                        const std::vector<std::string>& environment) {
    int number[2];
    if (::pipe2(number, O_CLOEXEC) != 0) return false;
    serverLog_ = ::memfd_create("Xephyr", MFD_CLOEXEC);
    std::vector<std::string> argv{"Xephyr"};
    for (std::string& argument : xephyrArguments(size, kNumberFd, softwareCursor))
        argv.push_back(argument);
    server_ = start({xephyr,
                     argv,
                     withVariable(environment, "DISPLAY", desktop),
                     {{number[1], kNumberFd}, {serverLog_, 1}, {serverLog_, 2}},
                     true},
                    "Xephyr");
    ::close(number[1]);
    if (server_) number_ = awaitDisplayNumber(number[0], desktop).value_or(-1);
    ::close(number[0]);
    if (number_ < 0) return false;
    display_ = ":" + std::to_string(number_);
    std::printf("vexa: the 8-bit screen is DISPLAY=%s\n", display_.c_str());
    std::fflush(stdout);
    return startManager(twm, environment);
}

std::optional<int> NestedServer::awaitDisplayNumber(int fd, const std::string& desktop) {
    std::string text;
    const auto deadline = Clock::now() + kServerStartLimit;
    for (;;) {
        if (const std::size_t end = text.find('\n'); end != std::string::npos)
            return std::atoi(text.substr(0, end).c_str());
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            say("vexa: Xephyr did not open the 8-bit screen on " + desktop + " within " +
                std::to_string(kServerStartLimit.count()) + " seconds:\n" + messages(serverLog_));
            return std::nullopt;
        }
        pollfd events[] = {{fd, POLLIN, 0}, {endSignalFd(), POLLIN, 0}};
        if (::poll(events, 2, static_cast<int>(left)) < 0 && errno != EINTR) return std::nullopt;
        if ((endSignal_ = takeEndSignal()) != 0) return std::nullopt;
        if (events[0].revents == 0) continue;
        char buffer[32];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        // The server closed the descriptor without a number: it is ending.
        server_->waitUntil(Clock::now() + kServerPatience);
        say("vexa: Xephyr could not open an 8-bit screen on " + desktop +
            (server_->ended() ? " (it " + howItEnded(server_->status()) + ")" : "") + ":\n" +
            messages(serverLog_));
        return std::nullopt;
    }
}

bool NestedServer::startManager(const std::string& twm,
                                const std::vector<std::string>& environment) {
    const int configuration = ::memfd_create("twmrc", MFD_CLOEXEC);
    const std::string_view text = twmConfiguration();
    if (configuration < 0 ||
        ::write(configuration, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        return false;
    managerLog_ = ::memfd_create("twm", MFD_CLOEXEC);
    manager_ = start({twm,
                      {"twm", "-f", "/dev/fd/" + std::to_string(kConfigurationFd)},
                      withVariable(environment, "DISPLAY", display_),
                      {{configuration, kConfigurationFd}, {managerLog_, 1}, {managerLog_, 2}},
                      true},
                     "twm");
    ::close(configuration);
    return manager_.has_value();
}

std::string NestedServer::serverEnd() const {
    return "vexa: Xephyr " + howItEnded(server_->status()) + ":\n" + messages(serverLog_);
}

std::string NestedServer::managerEnd() const {
    return "vexa: twm " + howItEnded(manager_->status()) +
           "; the 8-bit screen goes on without a window manager:\n" + messages(managerLog_);
}

void NestedServer::end() {
    if (manager_) endChildren({&*manager_}, kServerPatience);
    if (!server_) return;
    endChildren({&*server_}, kServerPatience);
    if (number_ >= 0) removeServerLeftovers(number_, server_->pid());
    manager_.reset();
    server_.reset();
}

}  // namespace vexa
