// The nested 8-bit screen of a session: Xephyr in a window on the desktop, its display
// number read from -displayfd within a bound (no race for a free number), and twm in it
// with Vexa's own configuration. Their messages are kept aside and shown only when they
// fail. Ending it ends the server and removes what a killed server leaves behind; its
// clients, twm among them, are ended first by the session.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/nested_screen.h"
#include "app/session_child.h"

namespace vexa {

// Writes `text` to standard error at once: the session's own messages, which must come out
// in order with those of the programs it runs.
void say(const std::string& text);

class NestedServer {
  public:
    NestedServer() = default;
    NestedServer(const NestedServer&) = delete;
    NestedServer& operator=(const NestedServer&) = delete;
    ~NestedServer();

    // Opens the screen on `desktop` with the programs `xephyr` and `twm`. False when it
    // cannot (what went wrong is said on standard error) or an end signal came first.
    bool open(const std::string& xephyr, const std::string& twm, const std::string& desktop,
              ScreenSize size, bool softwareCursor, const std::vector<std::string>& environment);
    // The signal that came during open(), or 0.
    int endSignal() const { return endSignal_; }
    // ":N", once open.
    const std::string& display() const { return display_; }

    SessionChild& server() { return *server_; }
    SessionChild& manager() { return *manager_; }
    // What to say about the server's or twm's end, with the last of their messages.
    std::string serverEnd() const;
    std::string managerEnd() const;

    // Ends the server and removes its socket when it was killed.
    void end();

  private:
    std::optional<int> awaitDisplayNumber(int fd, const std::string& desktop);
    bool startManager(const std::string& twm, const std::vector<std::string>& environment);

    std::optional<SessionChild> server_, manager_;
    int serverLog_ = -1, managerLog_ = -1;
    int number_ = -1;
    std::string display_;
    int endSignal_ = 0;
};

}  // namespace vexa
