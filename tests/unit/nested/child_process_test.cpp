#include "nested/child_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "base/end_signals.h"
#include "support/quiet_stderr.h"

namespace vexa::nested {
namespace {

using namespace std::chrono_literals;
constexpr auto kLiveness = 10s;

// The state /proc tells of `pid` ("R", "S", "Z" for a zombie...), empty once it is gone.
std::string stateOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidText, name, state;
    stat >> pidText >> name >> state;
    return state;
}

bool running(pid_t pid) {
    const std::string state = stateOf(pid);
    return !state.empty() && state != "Z";
}

std::string readLine(int fd) {
    std::string line;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

// `script` run by sh as a child with `input`; its first line on descriptor 3.
std::string firstLineOf(const std::string& script, Input input = Input::null) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return "(no pipe)";
    auto child = ChildProcess::start(
        {"sh", "/bin/sh", {"sh", "-c", script}, {"PATH=/bin:/usr/bin"}, {{pipe[1], 3}}, input});
    ::close(pipe[1]);
    std::string line = child ? readLine(pipe[0]) : "(not started)";
    ::close(pipe[0]);
    return line;
}

TEST(ChildProcess, ProgramsAreFoundAsExecvpFindsThem) {
    EXPECT_EQ(findProgram("sh", "/nonexistent::/bin"), "/bin/sh");
    EXPECT_EQ(findProgram("/bin/sh", ""), "/bin/sh");
    EXPECT_FALSE(findProgram("no-such-program-here", "/bin:/usr/bin"));
    EXPECT_FALSE(findProgram("/bin", "/"));  // a folder is not a program
    EXPECT_EQ(withVariable({"A=1", "DISPLAY=:0", "DISPLAYS=x"}, "DISPLAY", ":5"),
              (std::vector<std::string>{"A=1", "DISPLAYS=x", "DISPLAY=:5"}));
}

TEST(ChildProcess, RunsInAGroupOfItsOwnWithItsEnvironment) {
    const std::string line = firstLineOf("echo \"$PATH\" $$ $(ps -o pgid= $$) >&3");
    char path[64] = {};
    int pid = 0, group = -1;
    ASSERT_EQ(std::sscanf(line.c_str(), "%63s %d %d", path, &pid, &group), 3) << line;
    EXPECT_STREQ(path, "/bin:/usr/bin");
    EXPECT_EQ(group, pid);
    const std::string said = testing::stderrOf([] {
        EXPECT_FALSE(ChildProcess::start({"program", "/nonexistent/program", {"program"}, {}, {}}));
    });
    EXPECT_EQ(said, "vexa: cannot run program: No such file or directory\n");
}

TEST(ChildProcess, GetsExactlyTheDescriptorsItIsHandedWhateverTheCallerHadOpen) {
    // Open without close-on-exec, as a library or the caller's caller may leave one.
    const int inherited = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(inherited, 0);
    // Looked at without opening anything: test(1) of each number.
    EXPECT_EQ(firstLineOf("n=0; while [ $n -lt 256 ]; do [ -e /proc/$$/fd/$n ] && "
                          "printf '%s ' $n >&3; n=$((n + 1)); done; echo >&3"),
              "0 1 2 3 ");
    ::close(inherited);
}

TEST(ChildProcess, StartsWithTheSignalsOfAFreshProgram) {
    // SIGHUP ignored when the program started (nohup) stays ignored; what the program
    // ignores or blocks for itself does not reach the child.
    struct sigaction ignore {}, hangUp {}, pipe {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGHUP, &ignore, &hangUp);
    ASSERT_TRUE(watchEndSignals());
    ::sigaction(SIGPIPE, &ignore, &pipe);
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    ::sigprocmask(SIG_BLOCK, &blocked, &previous);
    const std::string line =
        firstLineOf("echo $(grep -E '^Sig(Ign|Blk)' /proc/$$/status | cut -f2) >&3");
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    ::sigaction(SIGPIPE, &pipe, nullptr);
    ::sigaction(SIGHUP, &hangUp, nullptr);
    EXPECT_EQ(line, "0000000000000000 0000000000000001") << "blocked, then ignored";
}

TEST(ChildProcess, AnEndedProgramIsReapedOnlyAfterItsGroupWasLastSignalled) {
    auto child = ChildProcess::start({"sh", "/bin/sh", {"sh", "-c", "exit 4"}, {}, {}});
    ASSERT_TRUE(child);
    const pid_t pid = child->pid();
    ASSERT_TRUE(child->waitUntil(Clock::now() + kLiveness));
    EXPECT_TRUE(WIFEXITED(child->status()) && WEXITSTATUS(child->status()) == 4);
    // Seen ended but not reaped: the group's number stays taken while it may be signalled.
    EXPECT_EQ(stateOf(pid), "Z");
    child->end(1000ms);
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
    EXPECT_TRUE(WIFEXITED(child->status()) && WEXITSTATUS(child->status()) == 4);
}

TEST(ChildProcess, EndingKillsTheGroupWhenItIgnoresTheRequest) {
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    auto child = ChildProcess::start({"sh",
                                      "/bin/sh",
                                      {"sh", "-c", "trap '' TERM; sleep 60 & echo $! >&3; wait"},
                                      {"PATH=/bin:/usr/bin"},
                                      {{pipe[1], 3}}});
    ::close(pipe[1]);
    ASSERT_TRUE(child);
    const pid_t grandchild = std::stoi(readLine(pipe[0]));
    ::close(pipe[0]);
    child->end(200ms);
    EXPECT_TRUE(WIFSIGNALED(child->status()) && WTERMSIG(child->status()) == SIGKILL);
    // Killed with the group; its end may take the kernel a moment.
    const auto deadline = Clock::now() + kLiveness;
    while (running(grandchild) && Clock::now() < deadline) ::usleep(1000);
    EXPECT_FALSE(running(grandchild));
}

TEST(ChildProcess, ACommandBesideATerminalIsNeverStoppedByIt) {
    // A helper holding a terminal in the foreground, as a user's shell does for the session.
    const pid_t helper = ::fork();
    if (helper == 0) {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (::setsid() < 0 || master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            ::_exit(2);
        const int terminal = ::open(::ptsname(master), O_RDWR);  // the controlling terminal
        if (terminal < 0 || ::dup2(terminal, 0) < 0) ::_exit(2);
        // Reads standard input, then the terminal itself: neither may stop it.
        auto child = ChildProcess::start(
            {"sh", "/bin/sh", {"sh", "-c", "read a; read b </dev/tty; exit 5"}, {}, {},
             Input::session});
        if (!child) ::_exit(2);
        const bool ended = child->waitUntil(Clock::now() + kLiveness);
        const int status = child->status();
        child->end(0ms);
        ::_exit(ended && WIFEXITED(status) && WEXITSTATUS(status) == 5 ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(helper, &status, 0), helper);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(ChildProcess, AFailingSystemCallIsNamedWithItsReason) {
    rlimit limit{}, none{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const std::string said = testing::stderrOf([&] {
        none = {3, limit.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &none);
        EXPECT_FALSE(ChildProcess::start({"sh", "/bin/sh", {"sh", "-c", "exit 0"}, {}, {}}));
        ::setrlimit(RLIMIT_NOFILE, &limit);
    });
    EXPECT_EQ(said, "vexa: cannot run sh: cannot make a pipe: Too many open files\n");
}

}  // namespace
}  // namespace vexa::nested
