// A program whose standard error is a terminal, as a user at one sees it: a
// pseudo-terminal that the test reads. Its standard input and output are pipes, as
// ChildProcess has them.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "x11_test_support.h"

namespace vexa::testing {

class TerminalProcess {
  public:
    // Starts argv[0] (searched in PATH).
    explicit TerminalProcess(const std::vector<std::string>& argv);
    ~TerminalProcess();
    TerminalProcess(const TerminalProcess&) = delete;
    TerminalProcess& operator=(const TerminalProcess&) = delete;

    pid_t pid() const { return process_.pid(); }
    // Reads the terminal until what came after the last text waited for holds `text`;
    // false at the terminal's end or after `timeout`.
    bool waitForText(const std::string& text, std::chrono::milliseconds timeout = kLiveness);
    // Everything the program wrote to the terminal so far.
    const std::string& output() const { return output_; }
    std::optional<int> wait(std::chrono::milliseconds timeout = kLiveness);

  private:
    int master_ = -1;
    std::string output_;
    std::size_t seen_ = 0;  // output_ up to here was matched already
    ChildProcess process_;  // a shell that puts the terminal on the program's stderr
};

}  // namespace vexa::testing
