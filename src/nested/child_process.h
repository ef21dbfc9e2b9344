// One program that the nested session starts and ends. It runs in a process group of its
// own, so that ending it ends what it started and a terminal's Ctrl+C reaches only the
// session, and the kernel sends it SIGTERM when the session's process goes, even when that
// is killed. It gets exactly the descriptors it is handed, the signal dispositions a fresh
// program has (a signal ignored when Vexa started stays ignored) and an empty signal mask.
// Its end is seen through a pidfd without reaping it, so that its group number cannot be
// taken by another group while it may still be signalled.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vexa::nested {

using Clock = std::chrono::steady_clock;

// Where a program's standard input comes from.
enum class Input {
    null,     // /dev/null
    session,  // the session's own, unless that is a terminal: then /dev/null (see session.h)
};

struct Launch {
    std::string name;               // for messages
    std::string path;               // the program file
    std::vector<std::string> argv;  // with argv[0]
    std::vector<std::string> env;   // NAME=value
    // Descriptors of this process handed to the program as the given numbers (above 2 or
    // standard output and error); every other descriptor above 2 is closed.
    std::vector<std::pair<int, int>> fds;
    Input input = Input::null;
    // Standard output and error into a file of their own, shown only when the program fails.
    bool logged = false;
};

// The path of `name` as execvp would find it in `searchPath` (a name with a slash stands
// for itself); nothing when there is no such executable file.
std::optional<std::string> findProgram(const std::string& name, const std::string& searchPath);

// `environment` with NAME set to `value`.
std::vector<std::string> withVariable(std::vector<std::string> environment, const std::string& name,
                                      const std::string& value);

// What a failed system call was for and why: "cannot <what>: <strerror(errno)>".
std::string systemFailure(const std::string& what);

class ChildProcess {
  public:
    // Starts the program; nothing when it cannot, with what went wrong said on standard error.
    static std::optional<ChildProcess> start(const Launch& launch);
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess();

    const std::string& name() const { return name_; }
    pid_t pid() const { return pid_; }
    // Readable once the program has ended.
    int endFd() const { return pidfd_; }
    // Whether the program has ended; its wait status once it has (see waitpid).
    bool ended();
    int status() const { return status_.value_or(0); }
    // "ended with status 1", "was killed by signal 9".
    std::string howItEnded() const;
    // The last lines it wrote, when logged.
    std::string lastMessages() const;

    // Waits for the end until `deadline`; ended() afterwards.
    bool waitUntil(Clock::time_point deadline);
    // Ends it once, in order: SIGTERM (to the program alone or to its group), `patience` to
    // end, then SIGKILL to the group, which takes what it left behind, and the reap. Does
    // nothing more once done.
    void end(std::chrono::milliseconds patience, bool programAlone = false);

  private:
    ChildProcess(std::string name, pid_t pid) : name_(std::move(name)), pid_(pid) {}
    void release();

    std::string name_;
    pid_t pid_ = -1;
    int pidfd_ = -1;
    int log_ = -1;
    std::optional<int> status_;
};

}  // namespace vexa::nested
