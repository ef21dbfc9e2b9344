#include "ui_driver.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <thread>

namespace vexa::testing {
namespace {

std::string windowName(::Display* display, Window window) {
    XTextProperty text{};
    if (!XGetWMName(display, window, &text) || !text.value) return {};
    std::string name(reinterpret_cast<char*>(text.value), text.nitems);
    XFree(text.value);
    return name;
}

bool isMapped(::Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// Every mapped window of the tree captioned `caption`.
void collect(::Display* display, Window window, const std::string& caption,
             std::vector<Window>& found) {
    if (windowName(display, window) == caption && isMapped(display, window))
        found.push_back(window);
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) collect(display, children[i], caption, found);
    if (children) XFree(children);
}

bool runXdotool(const std::string& arguments) {
    const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
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

bool pressKeys(Window window, const std::string& keys) {
    const std::string id = std::to_string(window);
    return runXdotool("windowfocus --sync " + id) && runXdotool("key --clearmodifiers " + keys);
}

bool typeFileName(Window chooser, const std::string& name) {
    const std::string id = std::to_string(chooser);
    std::string quoted = "'";
    for (char c : name) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    return runXdotool("windowfocus --sync " + id) && runXdotool("key --clearmodifiers ctrl+a") &&
           runXdotool("type --clearmodifiers -- " + quoted) && runXdotool("key Return");
}

bool clickAt(Window window, int x, int y) {
    return runXdotool("mousemove --sync --window " + std::to_string(window) + " " +
                      std::to_string(x) + " " + std::to_string(y)) &&
           runXdotool("click 1");
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
