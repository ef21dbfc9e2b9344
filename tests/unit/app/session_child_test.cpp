#include "app/session_child.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace vexa {
namespace {

using namespace std::chrono_literals;

// True while `pid` runs: neither gone nor a zombie waiting for a parent that may never come.
bool running(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidText, name, state;
    return stat >> pidText >> name >> state && state != "Z";
}

std::string readLine(int fd) {
    std::string line;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

TEST(SessionChild, ProgramsAreFoundAsExecvpFindsThem) {
    EXPECT_EQ(findProgram("sh", "/nonexistent::/bin"), "/bin/sh");
    EXPECT_EQ(findProgram("/bin/sh", ""), "/bin/sh");
    EXPECT_FALSE(findProgram("no-such-program-here", "/bin:/usr/bin"));
    EXPECT_FALSE(findProgram("/bin", "/"));  // a folder is not a program
    EXPECT_EQ(withVariable({"A=1", "DISPLAY=:0", "DISPLAYS=x"}, "DISPLAY", ":5"),
              (std::vector<std::string>{"A=1", "DISPLAYS=x", "DISPLAY=:5"}));
}

TEST(SessionChild, RunsInAGroupOfItsOwnWithItsEnvironmentAndDescriptors) {
    std::string error;
    EXPECT_FALSE(SessionChild::start({"/nonexistent/program", {"program"}, {}, {}, true}, error));
    EXPECT_EQ(error, "No such file or directory");

    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    auto child = SessionChild::start(
        {"/bin/sh",
         {"sh", "-c", "echo \"$WORD\" $(ps -o pgid= $$) >&3; read line; exit 3"},
         {"WORD=given", "PATH=/bin:/usr/bin"},
         {{pipe[1], 3}},
         true},
        error);
    ::close(pipe[1]);
    ASSERT_TRUE(child) << error;
    EXPECT_EQ(readLine(pipe[0]), "given " + std::to_string(child->pid()));
    ::close(pipe[0]);
    // Standard input is /dev/null: the read ends at once.
    EXPECT_TRUE(child->waitUntil(std::chrono::steady_clock::now() + 10s));
    EXPECT_TRUE(WIFEXITED(child->status()) && WEXITSTATUS(child->status()) == 3);
}

TEST(SessionChild, EndingKillsTheGroupWhenItIgnoresTheRequest) {
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    std::string error;
    auto child = SessionChild::start({"/bin/sh",
                                      {"sh", "-c", "trap '' TERM; sleep 60 & echo $! >&3; wait"},
                                      {"PATH=/bin:/usr/bin"},
                                      {{pipe[1], 3}},
                                      true},
                                     error);
    ::close(pipe[1]);
    ASSERT_TRUE(child) << error;
    const pid_t grandchild = std::stoi(readLine(pipe[0]));
    ::close(pipe[0]);
    const auto start = std::chrono::steady_clock::now();
    endChildren({&*child}, 200ms);
    EXPECT_TRUE(child->ended());
    EXPECT_TRUE(WIFSIGNALED(child->status()) && WTERMSIG(child->status()) == SIGKILL);
    // Killed with the group; its end may take the kernel a moment.
    for (int i = 0; i < 1000 && running(grandchild); ++i) ::usleep(1000);
    EXPECT_FALSE(running(grandchild));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

}  // namespace
}  // namespace vexa
