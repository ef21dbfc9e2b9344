#include "app/nested_session.h"

#include <poll.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "base/end_signals.h"
#include "app/nested_server.h"
#include "app/session_child.h"
#include "platform/x11/desktop_probe.h"

extern char** environ;

namespace vexa {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// When a client ends with a failure because the nested window closed, the server's own end
// follows at once; this long it is waited for to tell the two apart.
constexpr auto kScreenEndGrace = 1s;
// How long the clients get for an orderly end before they are killed.
constexpr auto kClientPatience = 1000ms;

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

// One run of Vexa and the command on a display: the nested screen or the desktop itself.
class Session {
  public:
    Session(const NestedRequest& request, std::vector<std::string> environment,
            std::unique_ptr<NestedServer> screen, std::string display)
        : request_(request),
          environment_(std::move(environment)),
          screen_(std::move(screen)),
          display_(std::move(display)) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() { finish(); }

    // Runs Vexa and the command (at `commandPath`) until the session ends; the exit status.
    int run(const std::optional<std::string>& commandPath);

  private:
    std::optional<SessionChild> start(const Launch& launch, const std::string& name);
    // The status once one of the programs ended.
    std::optional<int> ending();
    void finish();

    const NestedRequest& request_;
    std::vector<std::string> environment_;
    std::unique_ptr<NestedServer> screen_;
    std::string display_;
    std::optional<SessionChild> vexa_, command_;
};

std::optional<SessionChild> Session::start(const Launch& launch, const std::string& name) {
    std::string error;
    std::optional<SessionChild> child = SessionChild::start(launch, error);
    if (!child) say("vexa: cannot run " + name + ": " + error + "\n");
    return child;
}

int Session::run(const std::optional<std::string>& commandPath) {
    const std::vector<std::string> environment = withVariable(environment_, "DISPLAY", display_);
    std::vector<std::string> vexaArgv{"vexa"};
    vexaArgv.insert(vexaArgv.end(), request_.vexaArguments.begin(), request_.vexaArguments.end());
    vexa_ = start({ownProgram(), vexaArgv, environment, {}, true}, "Vexa");
    if (!vexa_) return 1;
    if (commandPath) {
        command_ =
            start({*commandPath, request_.command, environment, {}, false}, request_.command[0]);
        if (!command_) return 1;
    }
    for (;;) {
        std::vector<pollfd> events{{endSignalFd(), POLLIN, 0}};
        std::vector<SessionChild*> children{&*vexa_};
        if (command_) children.push_back(&*command_);
        if (screen_) {
            children.push_back(&screen_->server());
            children.push_back(&screen_->manager());
        }
        for (SessionChild* child : children)
            if (!child->ended()) events.push_back({child->endFd(), POLLIN, 0});
        if (::poll(events.data(), events.size(), -1) < 0 && errno != EINTR) return 1;
        if (const int signal = takeEndSignal())
            return sessionStatus(SessionEnd::signalled, 0, signal);
        if (const std::optional<int> status = ending()) return *status;
    }
}

std::optional<int> Session::ending() {
    if (command_ && !command_->ended()) command_->poll();
    const bool vexaEnded = vexa_->poll();
    if (!screen_) {
        if (vexaEnded) return sessionStatus(SessionEnd::vexaEnded, vexa_->status());
        return std::nullopt;
    }
    SessionChild& server = screen_->server();
    SessionChild& manager = screen_->manager();
    const bool managerEnded = !manager.ended() && manager.poll();
    // A closed nested window takes its clients with it, and the server's own end follows
    // a moment later: a client that failed waits for it to tell.
    const bool clientFailed =
        (managerEnded && manager.status() != 0) || (vexaEnded && vexa_->status() != 0);
    if (server.poll() || (clientFailed && server.waitUntil(Clock::now() + kScreenEndGrace))) {
        if (WIFSIGNALED(server.status())) say(screen_->serverEnd());
        return sessionStatus(SessionEnd::screenClosed, server.status());
    }
    if (managerEnded) say(screen_->managerEnd());
    if (vexaEnded) return sessionStatus(SessionEnd::vexaEnded, vexa_->status());
    return std::nullopt;
}

// The clients first, twm among them, then the server.
void Session::finish() {
    std::vector<SessionChild*> clients;
    if (command_) clients.push_back(&*command_);
    if (vexa_) clients.push_back(&*vexa_);
    if (screen_) clients.push_back(&screen_->manager());
    endChildren(clients, kClientPatience);
    command_.reset();
    vexa_.reset();
    screen_.reset();
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
    if (facts.paletteBased)
        return Session(line.nested, currentEnvironment(), nullptr, desktop).run(command);

    const std::optional<std::string> xephyr = findProgram(kXephyr.name, searchPath);
    const std::optional<std::string> twm = findProgram(kTwm.name, searchPath);
    std::vector<NeededProgram> missing;
    if (!xephyr) missing.push_back(kXephyr);
    if (!twm) missing.push_back(kTwm);
    if (!missing.empty()) {
        say(missingProgramsMessage(missing));
        return 1;
    }
    auto screen = std::make_unique<NestedServer>();
    const ScreenSize size =
        line.nested.size.value_or(chooseScreenSize({facts.width, facts.height}));
    if (!screen->open(*xephyr, *twm, desktop, size, !facts.render, currentEnvironment()))
        return screen->endSignal() ? sessionStatus(SessionEnd::signalled, 0, screen->endSignal())
                                   : 1;
    const std::string display = screen->display();
    return Session(line.nested, currentEnvironment(), std::move(screen), display).run(command);
}

}  // namespace vexa
