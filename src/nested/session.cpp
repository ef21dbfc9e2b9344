#include "nested/session.h"

#include <poll.h>
#include <sys/wait.h>

#include <cerrno>

#include "base/console.h"
#include "base/end_signals.h"
#include "nested/child_process.h"
#include "nested/running_server.h"
#include "nested/screen_plan.h"

namespace vexa::nested {

namespace {

using namespace std::chrono_literals;

// Vexa saves its settings as it ends; on a busy machine that may take a while.
constexpr auto kVexaPatience = 10s;
// How long the command and twm get for an orderly end before they are killed.
constexpr auto kClientPatience = 1000ms;
constexpr auto kServerPatience = 800ms;
// When a client ends with a failure because the screen went, the server's own end
// follows at once; this long it is waited for to tell the two apart.
constexpr auto kScreenEndGrace = 1s;

class Session {
  public:
    Session(const SessionPlan& plan, NestedWindow* window) : plan_(plan), window_(window) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() { finish(); }

    int run();

  private:
    // Xephyr and twm; the status to end with when they do not start.
    std::optional<int> openScreen();
    // The status once the session is over.
    std::optional<int> ending();
    // The status when the screen went while Vexa ran.
    int screenGone();
    void finish();

    const SessionPlan& plan_;
    NestedWindow* window_;
    std::optional<ChildProcess> server_, manager_, vexa_, command_;
    int number_ = -1;
    pid_t serverPid_ = -1;
    std::string display_;
    bool managerEndSaid_ = false;
};

std::optional<int> Session::openScreen() {
    if (window_ && !window_->show(plan_.size, kNestedTitle)) window_ = nullptr;
    const std::optional<int> number =
        startServer({plan_.xephyr, plan_.desktop, plan_.size, plan_.softwareCursor,
                     window_ ? window_->id() : 0, plan_.environment},
                    server_, endSignalFd());
    if (!number) {
        const int signal = takeEndSignal();
        return signal ? sessionStatus(SessionEnd::signalled, 0, signal) : 1;
    }
    number_ = *number;
    serverPid_ = server_->pid();
    display_ = ":" + std::to_string(number_);
    sayTo(stdout, "the 8-bit screen is DISPLAY=" + display_);
    manager_ = startWindowManager(plan_.twm, display_, plan_.environment);
    if (!manager_) return 1;
    return std::nullopt;
}

int Session::run() {
    if (!watchEndSignals()) {
        say(systemFailure("make a pipe for the end signals"));
        return 1;
    }
    display_ = plan_.desktop;
    if (!plan_.xephyr.empty())
        if (const std::optional<int> status = openScreen()) return *status;
    const std::vector<std::string> environment =
        withVariable(plan_.environment, "DISPLAY", display_);
    vexa_ = ChildProcess::start({"Vexa", plan_.vexa, plan_.vexaArgv, environment, {}, Input::null});
    if (!vexa_) return 1;
    if (plan_.command) {
        command_ = ChildProcess::start({plan_.commandArgv[0], *plan_.command, plan_.commandArgv,
                                        environment, {}, Input::session});
        if (!command_) return 1;
    }
    for (;;) {
        if (const std::optional<int> status = ending()) return *status;
        std::vector<pollfd> events{{endSignalFd(), POLLIN, 0}};
        if (window_) events.push_back({window_->fd(), POLLIN, 0});
        for (std::optional<ChildProcess>* child : {&server_, &manager_, &vexa_, &command_})
            if (*child && !(*child)->ended()) events.push_back({(*child)->endFd(), POLLIN, 0});
        if (::poll(events.data(), events.size(), -1) < 0 && errno != EINTR) {
            say(systemFailure("wait for the session's programs"));
            return 1;
        }
        if (const int signal = takeEndSignal())
            return sessionStatus(SessionEnd::signalled, 0, signal);
    }
}

std::optional<int> Session::ending() {
    if (command_) command_->ended();
    if (window_ && window_->closed()) {
        say("the nested window was closed; the session ends");
        return sessionStatus(SessionEnd::windowClosed, 0);
    }
    const bool vexaEnded = vexa_->ended();
    if (!server_) {
        if (vexaEnded) return sessionStatus(SessionEnd::vexaEnded, vexa_->status());
        return std::nullopt;
    }
    const bool managerEnded = !managerEndSaid_ && manager_->ended();
    // A closed nested window takes its clients with it, and the server's own end follows
    // a moment later: a client that failed waits for it to tell.
    const bool clientFailed =
        (managerEnded && manager_->status() != 0) || (vexaEnded && vexa_->status() != 0);
    if (server_->ended() || (clientFailed && server_->waitUntil(Clock::now() + kScreenEndGrace)))
        return screenGone();
    if (managerEnded) {
        managerEndSaid_ = true;
        say("twm " + manager_->howItEnded() +
            "; the 8-bit screen goes on without a window manager:\n" + manager_->lastMessages());
    }
    if (vexaEnded) return sessionStatus(SessionEnd::vexaEnded, vexa_->status());
    return std::nullopt;
}

int Session::screenGone() {
    // Cut off from the desktop with its window.
    if (window_ && window_->closed()) {
        say("the nested window was closed; the session ends");
        return sessionStatus(SessionEnd::windowClosed, 0);
    }
    if (WIFSIGNALED(server_->status()))
        say("Xephyr " + server_->howItEnded() + ":\n" + server_->lastMessages());
    return sessionStatus(SessionEnd::screenClosed, server_->status());
}

// Vexa alone first, while its window manager and screen stand; the server last.
void Session::finish() {
    if (vexa_) vexa_->end(kVexaPatience, true);
    if (command_) command_->end(kClientPatience);
    if (manager_) manager_->end(kClientPatience);
    if (server_) {
        server_->end(kServerPatience);
        if (number_ >= 0) removeServerLeftovers(number_, serverPid_);
    }
}

}  // namespace

int runSession(const SessionPlan& plan, NestedWindow* window) {
    return Session(plan, window).run();
}

}  // namespace vexa::nested
