#include "desktop.h"

#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ui_driver.h"

namespace vexa::testing {

std::string desktopName(Desktop desktop) {
    switch (desktop) {
        case Desktop::bare:
            return "bare";
        case Desktop::twm:
            return "twm";
        case Desktop::openbox:
            return "openbox";
    }
    return "?";
}

WindowManager::WindowManager(::Display* display, Desktop desktop) : desktop_(desktop) {
    if (desktop == Desktop::bare) return;
    if (desktop == Desktop::twm) {
        config_ = temporaryPath("vexa-twmrc", "");
        std::ofstream(config_) << "RandomPlacement\nUsePPosition \"on\"\nNoGrabServer\n"
                                  "DecorateTransients\n";
        process_ = std::make_unique<ChildProcess>(std::vector<std::string>{"twm", "-f", config_});
    } else {
        process_ = std::make_unique<ChildProcess>(std::vector<std::string>{"openbox"});
    }
    // openbox announces itself on the root once it has read its configuration and is ready
    // to manage windows; a window mapped before then may be placed without its frame.
    auto announced = [&] {
        return !readLongProperty(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK")
                    .empty();
    };
    const bool ready =
        waitForWindowManager(display) && (desktop != Desktop::openbox || waitFor(announced));
    if (!ready) throw std::runtime_error(desktopName(desktop) + " did not start");
}

bool WindowManager::end(int signal) {
    return process_ && ::kill(process_->pid(), signal) == 0 && process_->wait().has_value();
}

WindowManager::~WindowManager() {
    process_.reset();
    if (!config_.empty()) std::remove(config_.c_str());
}

namespace {

bool pointerIn(::Display* display, const Geometry& g) {
    Window root = 0, child = 0;
    int x = 0, y = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &wx, &wy, &mask);
    return x >= g.x && y >= g.y && x < g.x + g.width && y < g.y + g.height;
}

// xdotool's --sync waits for a change that never comes when there is nothing to change.
bool movePointerTo(::Display* display, int x, int y) {
    if (pointerIn(display, {x, y, 1, 1})) return true;
    return xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y)});
}

}  // namespace

bool turnTo(::Display* display, Desktop desktop, Window window) {
    const Geometry g = windowGeometry(display, window);
    if (!pointerIn(display, g) && !movePointerTo(display, g.x + g.width / 2, g.y + g.height / 2))
        return false;
    return desktop != Desktop::openbox ||
           xdotool({"windowactivate", "--sync", std::to_string(window)});
}

Geometry frameOf(::Display* display, Window client) {
    Window current = client;
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, current, &root, &parent, &children, &count)) break;
        if (children) XFree(children);
        if (parent == root) break;
        current = parent;
    }
    XWindowAttributes a{};
    XGetWindowAttributes(display, current, &a);
    return {a.x, a.y, a.width + 2 * a.border_width, a.height + 2 * a.border_width};
}

bool waitForSteadyGeometry(::Display* display, Window window) {
    Geometry last;
    auto since = std::chrono::steady_clock::now();
    return waitFor([&] {
        // Vexa places its window before mapping it: an unmapped window is not there yet.
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, window, &attributes) ||
            attributes.map_state != IsViewable) {
            since = std::chrono::steady_clock::now();
            return false;
        }
        const Geometry now = windowGeometry(display, window);
        const auto time = std::chrono::steady_clock::now();
        if (now != last || now.width == 0) {
            last = now;
            since = time;
        }
        return now.width > 0 && time - since >= 300ms;
    });
}

bool turnToDesktop(::Display* display, Desktop) {
    const Screen* screen = DefaultScreenOfDisplay(display);
    return movePointerTo(display, WidthOfScreen(screen) - 3, HeightOfScreen(screen) - 3);
}

void VexaInDesktop::SetUp() {
    home.seedVersion();
    folder = home.path() + "/files";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    manager = std::make_unique<WindowManager>(x, GetParam());
}

// Leaves the folder before it goes with the settings store.
void VexaInDesktop::TearDown() {
    std::filesystem::current_path("/");
}

void VexaInDesktop::startVexa() {
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(waitForSteadyGeometry(x, window));
}

void VexaInDesktop::showOtherProgram() {
    std::vector<std::string> arguments{"--color", "0-99=FF8000",    "--color",    "100-199=0080FF",
                                       "--color", "200-255=40C040", "--geometry", "64x64+10+10"};
    if (GetParam() != Desktop::bare) arguments.push_back("--no-install");
    other = std::make_unique<ColormapHolder>(arguments);
    if (GetParam() != Desktop::bare) {
        ASSERT_TRUE(turnTo(x, GetParam(), other->window()));
    }
    ASSERT_TRUE(waitFor([&] { return installedColormap(x) == other->colormap(); }));
    ASSERT_TRUE(waitFor([&] { return windowColormap(x, window) == other->colormap(); }));
}

void VexaInDesktop::typeIntoChooser(const std::string& menuKey, const std::string& caption,
                                    const std::string& path) {
    ASSERT_TRUE(turnTo(x, GetParam(), window));
    ASSERT_TRUE(chooseMenu(window, {"alt+f", menuKey}));
    const Window chooser = waitForChooser(x, caption);
    ASSERT_NE(chooser, 0u);
    ASSERT_TRUE(waitForSteadyGeometry(x, chooser));
    ASSERT_TRUE(turnTo(x, GetParam(), chooser));
    ASSERT_TRUE(typeFileName(chooser, path));
}

void VexaInDesktop::useChooser(const std::string& menuKey, const std::string& caption,
                               const std::string& path) {
    ASSERT_NO_FATAL_FAILURE(typeIntoChooser(menuKey, caption, path));
    if (caption == "Save As") {
        const auto question = waitForMessage(x, caption);
        ASSERT_TRUE(question);
        ASSERT_TRUE(turnTo(x, GetParam(), question->window));
        ASSERT_TRUE(pressKeys(question->window, "Return"));
    }
    ASSERT_TRUE(waitUntilGone(x, caption));
    ASSERT_TRUE(turnTo(x, GetParam(), window));
}

std::string peerName(Peer peer) {
    switch (peer) {
        case Peer::holder:
            return "holder";
        case Peer::xli:
            return "xli";
        case Peer::display:
            return "display";
    }
    return "?";
}

PeerProgram::PeerProgram(::Display* display, Peer peer, const std::string& picture) {
    if (peer == Peer::holder) {
        holder_ = std::make_unique<ColormapHolder>(
            std::vector<std::string>{"--bmp", picture, "--geometry", "160x120+10+10"});
        window_ = holder_->window();
        colormap_ = holder_->colormap();
        return;
    }
    std::string name;
    if (peer == Peer::xli) {
        process_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"xli", "-private", "-geometry", "+10+10", picture});
        name = picture;
    } else {
        process_ = std::make_unique<ChildProcess>(std::vector<std::string>{
            "display", "-colormap", "Private", "-geometry", "+10+10", picture});
        name = "ImageMagick: " + picture.substr(picture.rfind('/') + 1);
    }
    window_ = findWindowByName(display, name);
    if (!window_) throw std::runtime_error(peerName(peer) + " did not show " + picture);
    waitFor([&] { return windowGeometry(display, window_).width > 0; });
    colormap_ = windowColormap(display, window_);
}

std::string makeRosePicture(const std::string& folder, int colours) {
    const std::string path = folder + "/rose" + std::to_string(colours) + ".bmp";
    const std::string command = "convert rose: -resize 200% -colors " + std::to_string(colours) +
                                " -type Palette 'BMP3:" + path + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("convert failed");
    return path;
}

}  // namespace vexa::testing
