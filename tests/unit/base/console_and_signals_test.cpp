// The console writer's prefix on every line, and the end-signal pipe's rule that a signal
// ignored at start (nohup) stays ignored while the others are noted instead of ending.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/console.h"
#include "base/end_signals.h"

namespace vexa {
namespace {

std::string written(std::string_view message) {
    std::FILE* stream = std::tmpfile();
    EXPECT_TRUE(sayTo(stream, message));
    std::rewind(stream);
    std::string text;
    for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
    std::fclose(stream);
    return text;
}

TEST(ConsoleTest, EveryLineOfAMessageGetsThePrefix) {
    EXPECT_EQ(written("cannot open display \":9\""), "vexa: cannot open display \":9\"\n");
    EXPECT_EQ(written("first\nsecond\n"), "vexa: first\nvexa: second\n");
    EXPECT_EQ(written("a\n\nb"), "vexa: a\nvexa: \nvexa: b\n");
}

TEST(EndSignalsTest, AnIgnoredSignalStaysIgnoredAndTheOthersAreNoted) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGHUP, SIG_IGN);
        if (!watchEndSignals()) _exit(10);
        ::raise(SIGHUP);
        if (takeEndSignal() != 0) _exit(11);
        ::raise(SIGTERM);
        ::raise(SIGINT);
        if (takeEndSignal() != SIGTERM || takeEndSignal() != SIGINT) _exit(12);
        struct sigaction hup {};
        ::sigaction(SIGHUP, nullptr, &hup);
        _exit(hup.sa_handler == SIG_IGN ? 0 : 13);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace vexa
