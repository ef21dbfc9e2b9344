// Running the real vexa binary for end-to-end tests: a fresh settings store per test,
// the program as a child process, its window, real input through xdotool, and the
// store's values as the program wrote them.
#pragma once

// The support header brings GoogleTest before Xlib, whose None macro would break it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui_driver.h"  // also the X11 test support

namespace vexa::testing {

// The menu bar's height: the grid's client area starts this far below the window's top.
inline constexpr int kMenuHeight = 25;

// A settings folder for one test ($XDG_CONFIG_HOME), removed when destroyed.
class ConfigHome {
  public:
    ConfigHome();
    ~ConfigHome();
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

    const std::string& path() const { return path_; }
    std::string storePath() const { return path_ + "/vexa/system.reg"; }
    // Writes a store in which this version already ran, so no About window opens.
    // `values` are further lines "Section\\Entry=value" stored as DWORDs.
    void seedVersion(std::uint32_t version = 65542,
                     const std::vector<std::pair<std::string, std::uint32_t>>& values = {}) const;
    // The whole store file, empty when it does not exist.
    std::string storeText() const;
    // A REG_DWORD value below HKEY_LOCAL_MACHINE\Software\Varnel\Vexa\<section>.
    std::optional<std::uint32_t> dword(const std::string& section, const std::string& entry) const;

  private:
    std::string path_;
};

// The window bounds a run stored, as `values` for seedVersion; negative coordinates as the
// 32-bit pattern a DWORD holds.
std::vector<std::pair<std::string, std::uint32_t>> storedBounds(int left, int top, int right,
                                                                int bottom);

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const Geometry&, const Geometry&) = default;
};
std::string toString(const Geometry& g);
// The window bounds stored in `home`, as a geometry (absent entries read as 0).
Geometry storedPlacement(const ConfigHome& home);
Geometry windowGeometry(::Display* display, Window window);

// Waits until a window manager redirects the root's substructure; false after a timeout.
bool waitForWindowManager(::Display* display, std::chrono::milliseconds timeout = kLiveness);

// The vexa binary started with its settings in `home` and the command-line `arguments`;
// killed if still running at the end.
class VexaProcess {
  public:
    explicit VexaProcess(const ConfigHome& home, const std::vector<std::string>& arguments = {});

    // The palette window (the top-level named "Vexa"), waited for; 0 when none appears.
    Window waitForWindow(::Display* display);
    // Waits until the window's geometry equals `expected`; false (after a timeout) otherwise.
    bool waitForGeometry(::Display* display, Window window, const Geometry& expected);
    pid_t pid() const { return process_.pid(); }
    // The exit status once the program has ended, or nothing after the timeout.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout = kLiveness);

  private:
    ChildProcess process_;
};

// A test of the vexa binary: a display connection, a fresh settings store, and the program
// with its palette window once start() has run.
class VexaTest : public ::testing::Test {
  protected:
    // Ends a run still going, starts vexa with `arguments` and waits for its palette window.
    void start(const std::vector<std::string>& arguments = {});

    XConnection x;
    ConfigHome home;
    std::unique_ptr<VexaProcess> vexa;
    Window window = 0;
};

// How a run of vexa to its end went: exit status (-1 when it did not exit) and output.
struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs vexa with `arguments` (shell words) with its settings in `home` and DISPLAY set to
// `display` (unset when empty), to its end or for at most 10 seconds.
Outcome runVexa(const ConfigHome& home, const std::string& display, const std::string& arguments);

// Chooses a menu item by its mnemonics (for example {"alt+v", "c", "1"}) in `window`.
bool chooseMenu(Window window, const std::vector<std::string>& keys);

// Whether process `pid` ignores `signal` (as /proc tells).
bool ignoresSignal(pid_t pid, int signal);

// Waits until the window's title equals `expected`; the last title seen otherwise.
std::string waitForTitle(::Display* display, Window window, const std::string& expected);

}  // namespace vexa::testing
