// Helpers for tests that run against a private X server: reading what the screen shows
// (installed colormap, pixel values, window properties), finding windows, and running
// peer programs such as the colormap holder. Link vexa_x11_test_support.
#pragma once

// GoogleTest first: Xlib defines None and Bool as macros, which GoogleTest's headers use as
// names. Test files include <gtest/gtest.h> before any X header for the same reason.
#include <gtest/gtest.h>
// (after GoogleTest)
#include <X11/Xlib.h>
#include <sys/types.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bmp_color_table.h"

namespace vexa::testing {

using namespace std::chrono_literals;

// How long a test waits for what must happen (a window, an answer, a program's start or
// end): far above the worst such wait seen while the whole suite loaded two cores (about a
// second), so that it proves only that the thing happens. How soon is for bench/.
inline constexpr std::chrono::milliseconds kLiveness = 20000ms;

// A connection to $DISPLAY (or the display `name`), closed when destroyed. Throws
// std::runtime_error when it fails.
class XConnection {
  public:
    XConnection();
    explicit XConnection(const std::string& name);
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;
    ::Display* get() const { return display_; }
    operator ::Display*() const { return display_; }
    Window root() const { return DefaultRootWindow(display_); }

  private:
    ::Display* display_;
};

// Polls `condition` until it holds or `timeout` passes; returns its last value.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kLiveness);
// With VEXA_WAIT_LOG naming a file, appends "TEST TOOK BOUND" (milliseconds) to it for a
// wait begun at `start` that ended in time now, after 100 ms or more: how close a run came
// to a bound.
void noteWait(std::chrono::steady_clock::time_point start, std::chrono::milliseconds bound);

// The first colormap in the screen's installed list (the one the monitor shows).
Colormap installedColormap(::Display* display);
std::vector<Colormap> installedColormaps(::Display* display);
// The colours of all entries of `colormap` (8 bits per channel, the high byte).
std::vector<Rgb> colormapColors(::Display* display, Colormap colormap);
std::vector<Rgb> installedColors(::Display* display);
// True while `colormap` names a live colormap on the server.
bool colormapExists(::Display* display, Colormap colormap);
// The colormap attribute of a window.
Colormap windowColormap(::Display* display, Window window);

// Raw pixel values of a rectangle of a window (window coordinates), row by row.
std::vector<unsigned long> windowPixels(::Display* display, Window window, int x, int y, int width,
                                        int height);
// What the screen shows at a rectangle of the root: pixels through the installed colormap.
std::vector<Rgb> screenColors(::Display* display, int x, int y, int width, int height);

// True while `window` is mapped and viewable; false when it is not, or is gone.
bool shownOnScreen(::Display* display, Window window);

// A top-level window whose WM_NAME equals `name` (searched through the whole tree),
// polled until `timeout`; 0 when none appears.
Window findWindowByName(::Display* display, const std::string& name,
                        std::chrono::milliseconds timeout = kLiveness);
// A text property (STRING or UTF8_STRING) of a window, or nothing when absent.
std::optional<std::string> readStringProperty(::Display* display, Window window,
                                              const std::string& property);
// The 32-bit items of a window property of any type (atoms, cardinals, hints; at most 64),
// as Xlib hands them out: in longs. Empty when the property is absent or of another format.
std::vector<long> readLongProperty(::Display* display, Window window, const std::string& property);
// The window's top-left corner in root coordinates.
std::pair<int, int> rootPosition(::Display* display, Window window);

// Moves the pointer to (x, y) of the root window and waits until the server has done it.
void movePointer(::Display* display, int x, int y);

// A child process; killed (SIGTERM, then SIGKILL) and reaped when destroyed.
class ChildProcess {
  public:
    // Starts argv[0] (searched in PATH) with a pipe on its stdin and stdout.
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Reads one line of the child's stdout, or nothing at EOF or after `timeout`.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = kLiveness);
    // Closes the child's stdin (the holder's request to exit).
    void closeInput();
    // Writes `text` to the child's stdin; false when it cannot.
    bool writeInput(const std::string& text);
    // Waits for the child to end; its exit status, or nothing after `timeout`.
    std::optional<int> wait(std::chrono::milliseconds timeout = kLiveness);
    bool running();

  private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    std::string buffered_;
    std::optional<int> status_;
};

// Another application holding a private colormap: runs vexa-test-colormap-holder with
// `arguments` and waits for it to report its window and colormap.
class ColormapHolder {
  public:
    explicit ColormapHolder(const std::vector<std::string>& arguments);
    Window window() const { return window_; }
    Colormap colormap() const { return colormap_; }
    // Asks the holder to exit and waits until it has.
    void exit();
    ChildProcess& process() { return process_; }

  private:
    ChildProcess process_;
    Window window_ = 0;
    Colormap colormap_ = 0;
};

// Writes a PNG of the whole screen as the monitor shows it (vexa-test-screenshot).
void takeScreenshot(const std::string& pngPath);

// The colour of pixel (x, y) of an image file, as ImageMagick decodes it (an independent
// reader for the screenshots); black with a test failure when it cannot be read.
Rgb imagePixel(const std::string& path, int x, int y);

// A process as the X server's clients are named: "name[pid]", its command name from /proc.
std::string programName(pid_t pid);

// The whole content of a file, byte for byte; empty when it cannot be read.
std::string fileText(const std::string& path);

// A fresh path in the temporary directory, unique to this process: PREFIX-PID-N.SUFFIX.
std::string temporaryPath(const std::string& prefix, const std::string& suffix);

// Paths of the test-bed programs.
std::string colormapHolderPath();
std::string screenshotPath();

}  // namespace vexa::testing
