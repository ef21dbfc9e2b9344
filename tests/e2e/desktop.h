// The desktops users run Vexa in, for end-to-end tests that run one body in each: a bare
// X server, twm (colormap focus follows the pointer) and openbox (EWMH; colormap focus
// follows the keyboard focus), and the real programs with palettes of their own that run
// beside Vexa there.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vexa_session.h"  // also Xlib, after GoogleTest

namespace vexa::testing {

enum class Desktop { bare, twm, openbox };
std::string desktopName(Desktop desktop);

// The window manager of `desktop` on $DISPLAY, running once the constructor returns.
class WindowManager {
  public:
    WindowManager(::Display* display, Desktop desktop);
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;
    Desktop desktop() const { return desktop_; }
    // Sends the window manager `signal` and waits until it has exited.
    bool end(int signal);

  private:
    Desktop desktop_;
    std::string config_;
    std::unique_ptr<ChildProcess> process_;
};

// Gives `window` what a user gives a window by turning to it: the pointer, and under
// openbox the focus too (openbox installs the colormap of the focused window).
bool turnTo(::Display* display, Desktop desktop, Window window);

// The window manager's frame around `client`: the child of the root that contains it (the
// client itself on a bare server).
Geometry frameOf(::Display* display, Window client);

// Waits until `window` is mapped and has stopped moving: a window placed after it was
// mapped would otherwise move away from the pointer that a test put into it.
bool waitForSteadyGeometry(::Display* display, Window window);

// Moves the pointer onto the bare desktop, away from every window.
bool turnToDesktop(::Display* display, Desktop desktop);

// Vexa in the desktop a test runs in, for tests run in each: the display, a fresh settings
// store in which this version already ran, the folder `folder` in it for the test's files
// (the working directory while the test runs), and the desktop's window manager; Vexa and its
// palette window once startVexa() has run.
class VexaInDesktop : public VexaTest, public ::testing::WithParamInterface<Desktop> {
  protected:
    // Vexa and the other program go before the window manager, as they came after it.
    ~VexaInDesktop() override {
        other.reset();
        vexa.reset();
    }
    void SetUp() override;
    void TearDown() override;

    // Starts Vexa and waits until its window is mapped and steady.
    void startVexa();
    // Another program whose colormap (orange, blue and green thirds) the desktop installed,
    // as `other`: by itself on a bare server, else once the pointer is in it. Waits until
    // Vexa's window takes that colormap too.
    void showOtherProgram();
    // File > `menuKey` and `path` typed into its chooser captioned `caption`, turning to each
    // window as a user does.
    void typeIntoChooser(const std::string& menuKey, const std::string& caption,
                         const std::string& path);
    // The same, confirming the question Save As asks, and back to Vexa once the chooser
    // has gone.
    void useChooser(const std::string& menuKey, const std::string& caption,
                    const std::string& path);
    // File > Open of the file at `path`.
    void open(const std::string& path) { useChooser("o", "Open", path); }

    std::string folder;
    std::unique_ptr<WindowManager> manager;
    std::unique_ptr<ColormapHolder> other;
};

// A program with a palette of its own showing `picture`: xli -private, ImageMagick's
// display -colormap Private, or the test bed's colormap holder (which installs its
// colormap by itself, as a program does on a server without a window manager).
enum class Peer { holder, xli, display };
std::string peerName(Peer peer);

class PeerProgram {
  public:
    PeerProgram(::Display* display, Peer peer, const std::string& picture);
    Window window() const { return window_; }
    Colormap colormap() const { return colormap_; }

  private:
    std::unique_ptr<ChildProcess> process_;
    std::unique_ptr<ColormapHolder> holder_;
    Window window_ = 0;
    Colormap colormap_ = 0;
};

// An 8-bit BMP of `colours` colours that ImageMagick makes from its built-in rose picture.
std::string makeRosePicture(const std::string& folder, int colours);

}  // namespace vexa::testing
