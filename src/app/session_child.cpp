#include "app/session_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vexa {

namespace {

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

// Reports errno on `report`, for the parent waiting for the exec, and ends the child.
[[noreturn]] void failChild(int report) {
    const int code = errno;
    [[maybe_unused]] ssize_t ignored = ::write(report, &code, sizeof code);
    ::_exit(127);
}

// Between fork and exec: only async-signal-safe calls.
[[noreturn]] void becomeProgram(const char* path, char* const* argv, char* const* envp,
                                const std::vector<std::pair<int, int>>& fds, int* moved,
                                bool nullInput, pid_t session, int report) {
    auto fail = [report] { failChild(report); };
    ::setpgid(0, 0);
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0) fail();
    // The session went before the request took effect.
    if (::getppid() != session) ::_exit(1);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Out of the way of the target numbers first, then into place (dup2 clears close-on-exec).
    for (std::size_t i = 0; i < fds.size(); ++i)
        if ((moved[i] = ::fcntl(fds[i].first, F_DUPFD_CLOEXEC, 64)) < 0) fail();
    for (std::size_t i = 0; i < fds.size(); ++i)
        if (::dup2(moved[i], fds[i].second) < 0) fail();
    if (nullInput) {
        const int null = ::open("/dev/null", O_RDONLY);
        if (null < 0 || ::dup2(null, 0) < 0) fail();
    }
    ::execve(path, argv, envp);
    failChild(report);
}

}  // namespace

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

std::optional<SessionChild> SessionChild::start(const Launch& launch, std::string& error) {
    std::vector<std::string> argv = launch.argv, env = launch.env;
    const std::vector<char*> argvPointers = pointers(argv), envPointers = pointers(env);
    // Allocated here: the child may not allocate.
    std::vector<int> moved(launch.fds.size());
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    const pid_t session = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0)
        becomeProgram(launch.path.c_str(), argvPointers.data(), envPointers.data(), launch.fds,
                      moved.data(), launch.nullInput, session, report[1]);
    ::close(report[1]);
    if (pid < 0) {
        error = std::strerror(errno);
        ::close(report[0]);
        return std::nullopt;
    }
    // Also here, so that the group exists before anything signals it.
    ::setpgid(pid, pid);
    int code = 0;
    ssize_t got;
    while ((got = ::read(report[0], &code, sizeof code)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (got > 0) {
        ::waitpid(pid, nullptr, 0);
        error = std::strerror(code);
        return std::nullopt;
    }
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd < 0) {
        error = std::strerror(errno);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return std::nullopt;
    }
    return SessionChild(pid, pidfd);
}

SessionChild::SessionChild(SessionChild&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      pidfd_(std::exchange(other.pidfd_, -1)),
      status_(other.status_) {}

SessionChild& SessionChild::operator=(SessionChild&& other) noexcept {
    if (this != &other) {
        release();
        pid_ = std::exchange(other.pid_, -1);
        pidfd_ = std::exchange(other.pidfd_, -1);
        status_ = other.status_;
    }
    return *this;
}

void SessionChild::release() {
    if (pid_ < 0) return;
    if (!ended()) {
        signalGroup(SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(pidfd_);
    pid_ = -1;
}

bool SessionChild::poll() {
    if (ended()) return true;
    int status = 0;
    pid_t got;
    while ((got = ::waitpid(pid_, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (got == pid_) status_ = status;
    return ended();
}

bool SessionChild::waitUntil(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    while (!poll()) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd end{pidfd_, POLLIN, 0};
        ::poll(&end, 1, static_cast<int>(left) + 1);
    }
    return true;
}

void SessionChild::signalGroup(int signal) const {
    ::kill(-pid_, signal);
}

void endChildren(std::vector<SessionChild*> children, std::chrono::milliseconds patience) {
    std::erase(children, nullptr);
    for (SessionChild* child : children) child->signalGroup(SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (SessionChild* child : children) child->waitUntil(deadline);
    // What the programs started and what did not end in time.
    for (SessionChild* child : children) child->signalGroup(SIGKILL);
    for (SessionChild* child : children) child->waitUntil(deadline + patience);
}

}  // namespace vexa
