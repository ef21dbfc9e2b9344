// One program of a session that Vexa starts and ends: it runs in a process group of its
// own, so that ending it ends what it started and a terminal's Ctrl+C reaches only the
// session, and the kernel sends it SIGTERM when the session's process goes, even when that
// is killed. Its end is seen through a pidfd, so a wait for it can be bounded and polled
// beside other events.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vexa {

struct Launch {
    std::string path;               // the program file
    std::vector<std::string> argv;  // with argv[0]
    std::vector<std::string> env;   // NAME=value
    // Descriptors of this process handed to the program as the given numbers; every other
    // descriptor of this process is closed on exec.
    std::vector<std::pair<int, int>> fds;
    bool nullInput = false;  // standard input from /dev/null instead of this process's
};

// The path of `name` as execvp would find it in `searchPath` (a name with a slash stands
// for itself); nothing when there is no such executable file.
std::optional<std::string> findProgram(const std::string& name, const std::string& searchPath);

// `environment` with NAME set to `value`.
std::vector<std::string> withVariable(std::vector<std::string> environment, const std::string& name,
                                      const std::string& value);

class SessionChild {
  public:
    // Starts the program; on failure (it could not be executed) nothing, with the reason in
    // `error`.
    static std::optional<SessionChild> start(const Launch& launch, std::string& error);
    SessionChild(SessionChild&& other) noexcept;
    SessionChild& operator=(SessionChild&& other) noexcept;
    // A program still running here is killed with its group and reaped.
    ~SessionChild() { release(); }

    pid_t pid() const { return pid_; }
    // Readable once the program has ended.
    int endFd() const { return pidfd_; }
    bool ended() const { return status_.has_value(); }
    // The wait status once ended() (see waitpid).
    int status() const { return status_.value_or(0); }

    // Collects the program's status when it has ended; ended() afterwards.
    bool poll();
    // Waits for the end until `deadline`; ended() afterwards.
    bool waitUntil(std::chrono::steady_clock::time_point deadline);
    // Sends `signal` to the program's process group (while the program is not reaped, the
    // group's number cannot be taken by another).
    void signalGroup(int signal) const;

  private:
    SessionChild(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}
    void release();
    pid_t pid_ = -1;
    int pidfd_ = -1;
    std::optional<int> status_;
};

// Ends `children` in an orderly way: SIGTERM to each group, then SIGKILL to the groups of
// those still running at `patience`, and reaps them all.
void endChildren(std::vector<SessionChild*> children, std::chrono::milliseconds patience);

}  // namespace vexa
