#include "ui_driver.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <sstream>
#include <thread>

extern char** environ;

namespace vexa::testing {
namespace {

bool isMapped(::Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// Every mapped window of the tree captioned `caption`.
void collect(::Display* display, Window window, const std::string& caption,
             std::vector<Window>& found) {
    if (title(display, window) == caption && isMapped(display, window)) found.push_back(window);
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) collect(display, children[i], caption, found);
    if (children) XFree(children);
}

std::vector<Window> captioned(::Display* display, const std::string& caption) {
    std::vector<Window> found;
    // Windows come and go while we walk: ignore the errors that causes.
    auto previous = XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
    collect(display, DefaultRootWindow(display), caption, found);
    XSync(display, False);
    XSetErrorHandler(previous);
    return found;
}

}  // namespace

std::optional<MessageWindow> waitForMessage(::Display* display, const std::string& caption,
                                            std::chrono::milliseconds timeout) {
    MessageWindow message;
    const bool found = waitFor(
        [&] {
            for (Window window : captioned(display, caption)) {
                if (auto text = readStringProperty(display, window, "VEXA_MESSAGE_TEXT")) {
                    message = {window, *text};
                    return true;
                }
            }
            return false;
        },
        timeout);
    if (!found) return std::nullopt;
    return message;
}

Window waitForChooser(::Display* display, const std::string& caption,
                      std::chrono::milliseconds timeout) {
    Window chooser = 0;
    waitFor(
        [&] {
            for (Window window : captioned(display, caption))
                if (!readStringProperty(display, window, "VEXA_MESSAGE_TEXT")) chooser = window;
            return chooser != 0;
        },
        timeout);
    return chooser;
}

bool waitUntilGone(::Display* display, const std::string& caption,
                   std::chrono::milliseconds timeout) {
    return waitFor([&] { return captioned(display, caption).empty(); }, timeout);
}

bool xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    // Quiet: xdotool reports properties that a bare server lacks on standard error.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const bool started =
        posix_spawnp(&pid, "xdotool", &actions, nullptr, args.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

bool focusOn(Window window) {
    Window focus = 0;
    int revert = 0;
    {
        XConnection x;
        XGetInputFocus(x, &focus, &revert);
        if (focus == window) return true;
        // Vexa names and places its window before it maps it, and only a window on the
        // screen can take the focus.
        if (!waitFor([&] { return shownOnScreen(x, window); })) return false;
    }
    return xdotool({"windowfocus", "--sync", std::to_string(window)});
}

bool pressKeys(Window window, const std::string& keys) {
    std::vector<std::string> arguments{"key", "--clearmodifiers"};
    std::istringstream names(keys);
    for (std::string name; names >> name;) arguments.push_back(name);
    return focusOn(window) && xdotool(arguments);
}

std::string title(::Display* display, Window window) {
    return readStringProperty(display, window, "WM_NAME").value_or("");
}

bool typeFileName(Window chooser, const std::string& name) {
    return focusOn(chooser) && xdotool({"key", "--clearmodifiers", "ctrl+a"}) &&
           xdotool({"type", "--clearmodifiers", "--", name}) && xdotool({"key", "Return"});
}

bool clickAt(Window window, int x, int y) {
    return xdotool({"mousemove", "--sync", "--window", std::to_string(window), std::to_string(x),
                    std::to_string(y)}) &&
           xdotool({"click", "1"});
}

std::optional<SelectionReply> requestClipboard(::Display* display, const std::string& target,
                                               Window given) {
    const Window window =
        given ? given
              : XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom property = XInternAtom(display, "VEXA_TEST_REPLY", False);
    XConvertSelection(display, clipboard, XInternAtom(display, target.c_str(), False), property,
                      window, CurrentTime);
    XFlush(display);
    XEvent event{};
    const bool answered =
        waitFor([&] { return XCheckTypedWindowEvent(display, window, SelectionNotify, &event); });
    std::optional<SelectionReply> reply;
    if (answered && event.xselection.property != None) {
        SelectionReply r;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, window, property, 0, 1 << 20, True, AnyPropertyType, &r.type,
                           &r.format, &count, &after, &data);
        if (data && r.format == 32) {
            const long* values = reinterpret_cast<const long*>(data);
            r.items.assign(values, values + count);
        } else if (data && r.format == 8) {
            r.bytes.assign(data, data + count);
        }
        if (data) XFree(data);
        reply = r;
    }
    if (!given) XDestroyWindow(display, window);
    return reply;
}

std::optional<std::string> runProgram(const std::vector<std::string>& argv,
                                      std::chrono::milliseconds timeout) {
    int out[2];
    if (pipe(out) != 0) return std::nullopt;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    ::close(out[1]);
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[4096];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == 0) {
        // Still running after its output closed or the deadline passed.
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return std::nullopt;
        }
        waitpid(pid, &status, 0);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return output;
}

}  // namespace vexa::testing
