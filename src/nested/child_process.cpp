#include "nested/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/console.h"
#include "base/end_signals.h"
#include "nested/child_exec.h"

namespace vexa::nested {

namespace {

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    result.reserve(texts.size() + 1);
    for (std::string& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

// The wait status (see waitpid) that `info` of waitid describes.
int waitStatus(const siginfo_t& info) {
    return info.si_code == CLD_EXITED ? (info.si_status & 0xFF) << 8 : info.si_status & 0x7F;
}

}  // namespace

std::string systemFailure(const std::string& what) {
    return "cannot " + what + ": " + std::strerror(errno);
}

std::optional<std::string> findProgram(const std::string& name, const std::string& searchPath) {
    auto executable = [](const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
               ::access(path.c_str(), X_OK) == 0;
    };
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos)
        return executable(name) ? std::optional(name) : std::nullopt;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = searchPath.find(':', start);
        std::string folder = searchPath.substr(start, colon - start);
        // An empty entry is the current folder.
        const std::string path = (folder.empty() ? "." : folder) + "/" + name;
        if (executable(path)) return path;
        if (colon == std::string::npos) return std::nullopt;
        start = colon + 1;
    }
}

std::vector<std::string> withVariable(std::vector<std::string> environment, const std::string& name,
                                      const std::string& value) {
    const std::string prefix = name + "=";
    std::erase_if(environment, [&](const std::string& entry) { return entry.starts_with(prefix); });
    environment.push_back(prefix + value);
    return environment;
}

std::optional<ChildProcess> ChildProcess::start(const Launch& launch) {
    auto fail = [&](const std::string& why) {
        say("cannot run " + launch.name + ": " + why);
        return std::nullopt;
    };
    int log = -1;
    std::vector<std::pair<int, int>> fds = launch.fds;
    if (launch.logged) {
        if ((log = ::memfd_create(launch.name.c_str(), MFD_CLOEXEC)) < 0)
            return fail(systemFailure("make a file for its messages"));
        fds.insert(fds.end(), {{log, 1}, {log, 2}});
    }
    std::vector<std::string> argv = launch.argv, env = launch.env;
    const std::vector<char*> argvPointers = pointers(argv), envPointers = pointers(env);
    std::vector<int> moved(fds.size());
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        const std::string why = systemFailure("make a pipe");
        if (log >= 0) ::close(log);
        return fail(why);
    }
    int lowestFree = 3;
    for (const auto& [from, to] : fds) lowestFree = std::max(lowestFree, to + 1);
    ChildPlan plan{launch.path.c_str(), argvPointers.data(), envPointers.data(), &fds,
                   moved.data(), lowestFree, launch.input == Input::null || ::isatty(0),
                   launch.input == Input::session, {}, ::getpid(), report[1]};
    sigemptyset(&plan.keptIgnored);
    for (int number : kEndSignals)
        if (endSignalIgnored(number)) sigaddset(&plan.keptIgnored, number);
    // No handler of the session's may run in the child before its dispositions are reset.
    sigset_t all, previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t pid = ::fork();
    if (pid == 0) becomeProgram(plan);
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(report[1]);
    if (pid < 0) {
        errno = forkError;
        const std::string why = systemFailure("start a process");
        ::close(report[0]);
        if (log >= 0) ::close(log);
        return fail(why);
    }
    // Also here, so that the group exists before anything signals it.
    ::setpgid(pid, pid);
    int failure[2] = {0, 0};
    ssize_t got;
    while ((got = ::read(report[0], failure, sizeof failure)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    const int pidfd = got > 0 ? -1 : static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (got > 0 || pidfd < 0) {
        const std::string why =
            got > 0 ? childFailure(failure[0], failure[1])
                    : systemFailure("watch its end");
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        if (log >= 0) ::close(log);
        return fail(why);
    }
    ChildProcess child(launch.name, pid);
    child.pidfd_ = pidfd;
    child.log_ = log;
    return child;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : name_(std::move(other.name_)),
      pid_(std::exchange(other.pid_, -1)),
      pidfd_(std::exchange(other.pidfd_, -1)),
      log_(std::exchange(other.log_, -1)),
      status_(other.status_) {}

ChildProcess::~ChildProcess() {
    end(std::chrono::milliseconds(0));
    if (log_ >= 0) ::close(log_);
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        end(std::chrono::milliseconds(0));
        if (log_ >= 0) ::close(log_);
        name_ = std::move(other.name_);
        pid_ = std::exchange(other.pid_, -1);
        pidfd_ = std::exchange(other.pidfd_, -1);
        log_ = std::exchange(other.log_, -1);
        status_ = other.status_;
    }
    return *this;
}

bool ChildProcess::ended() {
    if (status_ || pid_ < 0) return true;
    // Seen without reaping: the zombie keeps the group's number while the group may be
    // signalled.
    siginfo_t info{};
    while (::waitid(P_PIDFD, static_cast<id_t>(pidfd_), &info, WEXITED | WNOHANG | WNOWAIT) < 0)
        if (errno != EINTR) return false;
    if (info.si_pid != pid_) return false;
    status_ = waitStatus(info);
    return true;
}

std::string ChildProcess::howItEnded() const {
    if (WIFSIGNALED(status())) return "was killed by signal " + std::to_string(WTERMSIG(status()));
    return "ended with status " + std::to_string(WEXITSTATUS(status()));
}

std::string ChildProcess::lastMessages() const {
    constexpr std::size_t kLines = 12;
    struct stat file {};
    const off_t size = log_ >= 0 && ::fstat(log_, &file) == 0 ? file.st_size : 0;
    const off_t from = size > 4096 ? size - 4096 : 0;
    std::string text(static_cast<std::size_t>(size - from), '\0');
    const ssize_t got = text.empty() ? 0 : ::pread(log_, text.data(), text.size(), from);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::size_t start = text.size();
    for (std::size_t lines = 0; lines < kLines; ++lines) {
        const std::size_t newline = start == 0 ? std::string::npos : text.rfind('\n', start - 1);
        if (newline == std::string::npos) return text;
        start = newline;
    }
    return text.substr(start + 1);
}

bool ChildProcess::waitUntil(Clock::time_point deadline) {
    using namespace std::chrono;
    while (!ended()) {
        const auto left = duration_cast<milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd end{pidfd_, POLLIN, 0};
        ::poll(&end, 1, static_cast<int>(left) + 1);
    }
    return true;
}

void ChildProcess::end(std::chrono::milliseconds patience, bool programAlone) {
    if (pid_ < 0) return;
    if (!ended() && patience.count() > 0) {
        ::kill(programAlone ? pid_ : -pid_, SIGTERM);
        waitUntil(Clock::now() + patience);
    }
    // The leader is not reaped yet, so the group is still this program's.
    ::kill(-pid_, SIGKILL);
    siginfo_t info{};
    while (::waitid(P_PIDFD, static_cast<id_t>(pidfd_), &info, WEXITED) < 0 && errno == EINTR) {
    }
    if (!status_) status_ = waitStatus(info);
    release();
}

void ChildProcess::release() {
    // The messages stay readable after the end.
    ::close(pidfd_);
    pid_ = pidfd_ = -1;
}

}  // namespace vexa::nested
