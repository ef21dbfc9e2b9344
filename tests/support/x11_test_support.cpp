#include "x11_test_support.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vexa::testing {
namespace {

// Runs `body` with X errors ignored; true when it raised none.
bool withoutErrors(::Display* display, const std::function<void()>& body) {
    static bool failed;
    XSync(display, False);
    failed = false;
    auto previous = XSetErrorHandler([](::Display*, XErrorEvent*) {
        failed = true;
        return 0;
    });
    body();
    XSync(display, False);
    XSetErrorHandler(previous);
    return !failed;
}

Window findInTree(::Display* display, Window window, Atom wmName, const std::string& name) {
    XTextProperty text;
    if (XGetTextProperty(display, window, &text, wmName) && text.value) {
        std::string value(reinterpret_cast<char*>(text.value), text.nitems);
        XFree(text.value);
        if (value == name) return window;
    }
    Window rootReturn, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i)
        found = findInTree(display, children[i], wmName, name);
    if (children) XFree(children);
    return found;
}

}  // namespace

XConnection::XConnection() : display_(XOpenDisplay(nullptr)) {
    if (!display_) throw std::runtime_error("cannot open the X display");
}

XConnection::XConnection(const std::string& name) : display_(XOpenDisplay(name.c_str())) {
    if (!display_) throw std::runtime_error("cannot open the X display " + name);
}

XConnection::~XConnection() {
    XCloseDisplay(display_);
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return condition();
        std::this_thread::sleep_for(20ms);
    }
    noteWait(start, timeout);
    return true;
}

void noteWait(std::chrono::steady_clock::time_point start, std::chrono::milliseconds bound) {
    static const char* const log = std::getenv("VEXA_WAIT_LOG");
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    if (!log || took < 100ms) return;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::ofstream(log, std::ios::app)
        << (test ? std::string(test->test_suite_name()) + "." + test->name() : "?") << ' '
        << took.count() << ' ' << bound.count() << '\n';
}

std::vector<Colormap> installedColormaps(::Display* display) {
    int count = 0;
    Colormap* maps = XListInstalledColormaps(display, DefaultRootWindow(display), &count);
    std::vector<Colormap> result(maps, maps + count);
    if (maps) XFree(maps);
    return result;
}

Colormap installedColormap(::Display* display) {
    auto maps = installedColormaps(display);
    return maps.empty() ? 0 : maps.front();
}

std::vector<Rgb> colormapColors(::Display* display, Colormap colormap) {
    const int size = DefaultVisual(display, DefaultScreen(display))->map_entries;
    std::vector<XColor> cells(size);
    for (int i = 0; i < size; ++i) cells[i].pixel = i;
    std::vector<Rgb> result;
    if (!withoutErrors(display, [&] { XQueryColors(display, colormap, cells.data(), size); }))
        return result;
    for (const XColor& c : cells)
        result.push_back({static_cast<std::uint8_t>(c.red >> 8),
                          static_cast<std::uint8_t>(c.green >> 8),
                          static_cast<std::uint8_t>(c.blue >> 8)});
    return result;
}

std::vector<Rgb> installedColors(::Display* display) {
    return colormapColors(display, installedColormap(display));
}

bool colormapExists(::Display* display, Colormap colormap) {
    XColor cell{};
    return withoutErrors(display, [&] { XQueryColor(display, colormap, &cell); });
}

Colormap windowColormap(::Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return 0;
    return attributes.colormap;
}

std::vector<unsigned long> windowPixels(::Display* display, Window window, int x, int y, int width,
                                        int height) {
    std::vector<unsigned long> result;
    XImage* image = nullptr;
    withoutErrors(display, [&] {
        image = XGetImage(display, window, x, y, width, height, AllPlanes, ZPixmap);
    });
    if (!image) return result;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            result.push_back(XGetPixel(image, column, row));
    XDestroyImage(image);
    return result;
}

std::vector<Rgb> screenColors(::Display* display, int x, int y, int width, int height) {
    auto pixels = windowPixels(display, DefaultRootWindow(display), x, y, width, height);
    auto colors = installedColors(display);
    std::vector<Rgb> result;
    for (unsigned long p : pixels) result.push_back(p < colors.size() ? colors[p] : Rgb{});
    return result;
}

bool shownOnScreen(::Display* display, Window window) {
    XWindowAttributes attributes{};
    return withoutErrors(display, [&] { XGetWindowAttributes(display, window, &attributes); }) &&
           attributes.map_state == IsViewable;
}

Window findWindowByName(::Display* display, const std::string& name,
                        std::chrono::milliseconds timeout) {
    Window found = 0;
    const Atom wmName = XInternAtom(display, "WM_NAME", False);
    waitFor(
        [&] {
            withoutErrors(display, [&] {
                found = findInTree(display, DefaultRootWindow(display), wmName, name);
            });
            return found != 0;
        },
        timeout);
    return found;
}

std::optional<std::string> readStringProperty(::Display* display, Window window,
                                              const std::string& property) {
    Atom atom = XInternAtom(display, property.c_str(), True);
    if (atom == None) return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool ok = withoutErrors(display, [&] {
        XGetWindowProperty(display, window, atom, 0, 1 << 20, False, AnyPropertyType, &type,
                           &format, &count, &after, &data);
    });
    if (!ok || type == None || format != 8) {
        if (data) XFree(data);
        return std::nullopt;
    }
    std::string value(reinterpret_cast<char*>(data), count);
    XFree(data);
    return value;
}

std::vector<long> readLongProperty(::Display* display, Window window, const std::string& property) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(display, window, XInternAtom(display, property.c_str(), False), 0, 64,
                           False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 32)
        values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    if (data) XFree(data);
    return values;
}

std::pair<int, int> rootPosition(::Display* display, Window window) {
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y};
}

void movePointer(::Display* display, int x, int y) {
    XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
    XSync(display, False);
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
    int input[2], output[2];
    if (pipe2(input, O_CLOEXEC) || pipe2(output, O_CLOEXEC))
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int failed = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    in_ = input[1];
    out_ = output[0];
    if (failed) {
        close(in_);
        close(out_);
        throw std::runtime_error("cannot start " + argv[0]);
    }
}

ChildProcess::~ChildProcess() {
    closeInput();
    if (running()) {
        kill(pid_, SIGTERM);
        if (!wait(2000ms)) {
            kill(pid_, SIGKILL);
            wait(2000ms);
        }
    }
    if (out_ >= 0) close(out_);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + timeout;
    while (true) {
        auto newline = buffered_.find('\n');
        if (newline != std::string::npos) {
            std::string line = buffered_.substr(0, newline);
            buffered_.erase(0, newline + 1);
            noteWait(start, timeout);
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd fd{out_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
        char chunk[256];
        ssize_t n = read(out_, chunk, sizeof chunk);
        if (n <= 0) return std::nullopt;
        buffered_.append(chunk, n);
    }
}

void ChildProcess::closeInput() {
    if (in_ >= 0) close(in_);
    in_ = -1;
}

bool ChildProcess::writeInput(const std::string& text) {
    return in_ >= 0 && write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
    waitFor(
        [&] {
            if (status_) return true;
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
            return status_.has_value();
        },
        timeout);
    return status_;
}

bool ChildProcess::running() {
    if (status_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return !status_;
}

ColormapHolder::ColormapHolder(const std::vector<std::string>& arguments)
    : process_([&] {
          std::vector<std::string> argv{colormapHolderPath()};
          argv.insert(argv.end(), arguments.begin(), arguments.end());
          return argv;
      }()) {
    auto line = process_.readLine();
    unsigned long window = 0, colormap = 0;
    if (!line || std::sscanf(line->c_str(), "ready %lu %lu", &window, &colormap) != 2)
        throw std::runtime_error("the colormap holder did not start");
    window_ = window;
    colormap_ = colormap;
}

void ColormapHolder::exit() {
    process_.closeInput();
    process_.wait();
}

void takeScreenshot(const std::string& pngPath) {
    ChildProcess shot({screenshotPath(), pngPath});
    auto status = shot.wait();
    if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
        throw std::runtime_error("the screenshot tool failed");
}

Rgb imagePixel(const std::string& path, int x, int y) {
    const std::string command = "convert '" + path + "' -crop 1x1+" + std::to_string(x) + "+" +
                                std::to_string(y) + " -depth 8 rgb:-";
    FILE* pipe = popen(command.c_str(), "r");
    unsigned char bytes[3] = {0, 0, 0};
    const std::size_t n = pipe ? std::fread(bytes, 1, 3, pipe) : 0;
    if (pipe) pclose(pipe);
    if (n != 3) ADD_FAILURE() << "cannot read a pixel with: " << command;
    return {bytes[0], bytes[1], bytes[2]};
}

std::string programName(pid_t pid) {
    std::string name = fileText("/proc/" + std::to_string(pid) + "/comm");
    if (!name.empty() && name.back() == '\n') name.pop_back();
    return name + "[" + std::to_string(pid) + "]";
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string temporaryPath(const std::string& prefix, const std::string& suffix) {
    static int counter = 0;
    return (std::filesystem::temp_directory_path() /
            (prefix + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + suffix))
        .string();
}

std::string colormapHolderPath() {
    return VEXA_COLORMAP_HOLDER;
}
std::string screenshotPath() {
    return VEXA_SCREENSHOT;
}

}  // namespace vexa::testing
