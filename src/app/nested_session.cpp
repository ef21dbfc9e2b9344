#include "app/nested_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/session_child.h"
#include "platform/x11/desktop_probe.h"

extern char** environ;

namespace vexa {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A server that has not opened its screen by then, on a machine however busy, will not.
constexpr auto kServerStartLimit = 15s;
// When Vexa ends with a failure because the nested window closed, the server's own end
// follows at once; this long it is waited for to tell the two apart.
constexpr auto kScreenEndGrace = 1s;
// How long the programs get for an orderly end before they are killed: the clients first,
// then the server.
constexpr auto kClientPatience = 1000ms;
constexpr auto kServerPatience = 800ms;

// SIGTERM, SIGINT and SIGHUP end the session in order; the handler only notes them.
int signalPipe[2] = {-1, -1};

void noteSignal(int number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    // A full pipe already holds a request to end.
    [[maybe_unused]] ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

bool watchEndSignals() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = noteSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction current {};
        // A signal ignored by whoever started the session (nohup) stays ignored.
        if (::sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
        ::sigaction(number, &action, nullptr);
    }
    return true;
}

// The signal noted first, or 0.
int takeSignal() {
    unsigned char byte = 0;
    return ::read(signalPipe[0], &byte, 1) == 1 ? byte : 0;
}

void say(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

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

std::vector<std::string> currentEnvironment() {
    std::vector<std::string> environment;
    for (char** entry = environ; entry && *entry; ++entry) environment.emplace_back(*entry);
    return environment;
}

// The running program's own file, whatever name it was started by. Its link in /proc
// serves when the file is gone (replaced by an upgrade), at the price of the name "exe".
std::string ownProgram() {
    std::error_code error;
    const std::string path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || path.ends_with(" (deleted)")) return "/proc/self/exe";
    return path;
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

// One run of Vexa and the command, in a nested screen or on the desktop itself.
class Session {
  public:
    Session(const NestedRequest& request, std::vector<std::string> environment)
        : request_(request), environment_(std::move(environment)) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() { finish(); }

    // Opens the nested screen in a window on `desktop`, with twm in it; false when it
    // cannot (what went wrong is said) or a signal came first.
    bool openScreen(const std::string& xephyr, const std::string& twm, const std::string& desktop,
                    ScreenSize size, bool softwareCursor);
    void runOn(const std::string& display) { target_ = display; }
    // The status of a session that could not open its screen.
    int failureStatus() const {
        return signal_ ? sessionStatus(SessionEnd::signalled, 0, signal_) : 1;
    }
    // Runs Vexa and the command until the session ends; the exit status.
    int run(const std::optional<std::string>& commandPath);

  private:
    std::optional<int> awaitDisplayNumber(int fd, const std::string& desktop);
    bool startManager(const std::string& twm);
    std::optional<SessionChild> start(const Launch& launch, const std::string& name);
    std::vector<std::string> environmentFor(const std::string& display) const {
        return withVariable(environment_, "DISPLAY", display);
    }
    void finish();

    const NestedRequest& request_;
    std::vector<std::string> environment_;
    std::string target_;
    int serverNumber_ = -1;
    int serverLog_ = -1, managerLog_ = -1;
    std::optional<SessionChild> server_, manager_, vexa_, command_;
    int signal_ = 0;
};

std::optional<SessionChild> Session::start(const Launch& launch, const std::string& name) {
    std::string error;
    std::optional<SessionChild> child = SessionChild::start(launch, error);
    if (!child) say("vexa: cannot run " + name + ": " + error + "\n");
    return child;
}

bool Session::openScreen(const std::string& xephyr, const std::string& twm,
                         const std::string& desktop, ScreenSize size, bool softwareCursor) {
    int number[2];
    if (::pipe2(number, O_CLOEXEC) != 0) return false;
    serverLog_ = ::memfd_create("Xephyr", MFD_CLOEXEC);
    constexpr int kNumberFd = 3;
    std::vector<std::string> argv{"Xephyr"};
    for (std::string& argument : xephyrArguments(size, kNumberFd, softwareCursor))
        argv.push_back(argument);
    server_ = start({xephyr,
                     argv,
                     environmentFor(desktop),
                     {{number[1], kNumberFd}, {serverLog_, 1}, {serverLog_, 2}},
                     true},
                    "Xephyr");
    ::close(number[1]);
    if (server_) serverNumber_ = awaitDisplayNumber(number[0], desktop).value_or(-1);
    ::close(number[0]);
    if (serverNumber_ < 0) return false;
    target_ = ":" + std::to_string(serverNumber_);
    std::printf("vexa: the 8-bit screen is DISPLAY=%s\n", target_.c_str());
    std::fflush(stdout);
    return startManager(twm);
}

std::optional<int> Session::awaitDisplayNumber(int fd, const std::string& desktop) {
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
        pollfd events[] = {{fd, POLLIN, 0}, {signalPipe[0], POLLIN, 0}};
        if (::poll(events, 2, static_cast<int>(left)) < 0 && errno != EINTR) return std::nullopt;
        if ((signal_ = takeSignal()) != 0) return std::nullopt;
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

bool Session::startManager(const std::string& twm) {
    const int configuration = ::memfd_create("twmrc", MFD_CLOEXEC);
    const std::string_view text = twmConfiguration();
    if (configuration < 0 ||
        ::write(configuration, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        return false;
    managerLog_ = ::memfd_create("twm", MFD_CLOEXEC);
    manager_ = start({twm,
                      {"twm", "-f", "/dev/fd/3"},
                      environmentFor(target_),
                      {{configuration, 3}, {managerLog_, 1}, {managerLog_, 2}},
                      true},
                     "twm");
    ::close(configuration);
    return manager_.has_value();
}

int Session::run(const std::optional<std::string>& commandPath) {
    std::vector<std::string> vexaArgv{"vexa"};
    vexaArgv.insert(vexaArgv.end(), request_.vexaArguments.begin(), request_.vexaArguments.end());
    vexa_ = start({ownProgram(), vexaArgv, environmentFor(target_), {}, true}, "Vexa");
    if (!vexa_) return 1;
    if (commandPath) {
        command_ = start({*commandPath, request_.command, environmentFor(target_), {}, false},
                         request_.command[0]);
        if (!command_) return 1;
    }
    for (;;) {
        std::vector<pollfd> events{{signalPipe[0], POLLIN, 0}};
        for (auto* child : {&vexa_, &server_, &command_, &manager_})
            if (*child && !(*child)->ended()) events.push_back({(*child)->endFd(), POLLIN, 0});
        if (::poll(events.data(), events.size(), -1) < 0 && errno != EINTR) return 1;
        if (const int signal = takeSignal()) return sessionStatus(SessionEnd::signalled, 0, signal);
        if (command_ && !command_->ended()) command_->poll();
        const bool managerEnded = manager_ && !manager_->ended() && manager_->poll();
        const bool vexaEnded = vexa_->poll();
        // A closed nested window takes its clients with it, and the server's own end
        // follows a moment later: a client that failed waits for it to tell.
        const bool clientFailed =
            (managerEnded && manager_->status() != 0) || (vexaEnded && vexa_->status() != 0);
        if (server_ && (server_->poll() ||
                        (clientFailed && server_->waitUntil(Clock::now() + kScreenEndGrace)))) {
            if (WIFSIGNALED(server_->status()))
                say("vexa: Xephyr " + howItEnded(server_->status()) + ":\n" + messages(serverLog_));
            return sessionStatus(SessionEnd::screenClosed, server_->status());
        }
        if (managerEnded)
            say("vexa: twm " + howItEnded(manager_->status()) +
                "; the 8-bit screen goes on without a window manager:\n" + messages(managerLog_));
        if (vexaEnded) return sessionStatus(SessionEnd::vexaEnded, vexa_->status());
    }
}

void Session::finish() {
    auto present = [](std::optional<SessionChild>& child) { return child ? &*child : nullptr; };
    endChildren({present(command_), present(vexa_), present(manager_)}, kClientPatience);
    if (server_) {
        endChildren({&*server_}, kServerPatience);
        if (serverNumber_ >= 0) removeServerLeftovers(serverNumber_, server_->pid());
    }
    command_.reset();
    vexa_.reset();
    manager_.reset();
    server_.reset();
    for (int* fd : {&serverLog_, &managerLog_})
        if (*fd >= 0) ::close(std::exchange(*fd, -1));
}

}  // namespace

int runNestedSession(const CommandLine& line) {
    const char* displayVariable = std::getenv("DISPLAY");
    const std::string desktop = !line.display.empty() ? line.display
                                : displayVariable     ? displayVariable
                                                      : "";
    if (desktop.empty()) {
        say(noDesktopMessage("there is no desktop to open an 8-bit screen on: DISPLAY is not set"));
        return 1;
    }
    const DesktopFacts facts = probeDesktop(desktop);
    if (!facts.opened) {
        say(noDesktopMessage("cannot open display \"" + desktop + "\" to open an 8-bit screen on"));
        return 1;
    }
    const char* pathVariable = std::getenv("PATH");
    const std::string searchPath = pathVariable ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
    std::optional<std::string> command;
    if (!line.nested.command.empty()) {
        command = findProgram(line.nested.command[0], searchPath);
        if (!command) {
            say("vexa: cannot run " + line.nested.command[0] + ": no such program\n");
            return 1;
        }
    }
    if (!watchEndSignals()) return 1;
    Session session(line.nested, currentEnvironment());
    if (facts.paletteBased) {
        session.runOn(desktop);
        return session.run(command);
    }
    const std::optional<std::string> xephyr = findProgram(kXephyr.name, searchPath);
    const std::optional<std::string> twm = findProgram(kTwm.name, searchPath);
    std::vector<NeededProgram> missing;
    if (!xephyr) missing.push_back(kXephyr);
    if (!twm) missing.push_back(kTwm);
    if (!missing.empty()) {
        say(missingProgramsMessage(missing));
        return 1;
    }
    const ScreenSize size =
        line.nested.size.value_or(chooseScreenSize({facts.width, facts.height}));
    if (!session.openScreen(*xephyr, *twm, desktop, size, !facts.render))
        return session.failureStatus();
    return session.run(command);
}

}  // namespace vexa
