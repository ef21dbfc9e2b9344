#include "nested/screen_plan.h"

#include <sys/wait.h>

#include <algorithm>
#include <charconv>

namespace vexa::nested {

namespace {

// What a window manager's frame and a desktop's panels may take around the nested window.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;
constexpr Size kStandardSizes[] = {{1024, 768}, {800, 600}, {640, 480}};

bool readSide(std::string_view text, int& side) {
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, side);
    return error == std::errc() && last == end && !text.empty() && text[0] != '+' &&
           side >= kMinScreenSide && side <= kMaxScreenSide;
}

}  // namespace

std::optional<Size> parseScreenSize(std::string_view text) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    Size size;
    if (!readSide(text.substr(0, x), size.width) || !readSide(text.substr(x + 1), size.height))
        return std::nullopt;
    return size;
}

Size chooseScreenSize(Size area) {
    const Size room{area.width - kFrameWidth, area.height - kFrameHeight};
    for (const Size size : kStandardSizes)
        if (size.width <= room.width && size.height <= room.height) return size;
    return {std::max(room.width, kMinScreenSide), std::max(room.height, kMinScreenSide)};
}

std::optional<int> parseDisplayNumber(std::string_view line) {
    int number = -1;
    const char* end = line.data() + line.size();
    const auto [last, error] = std::from_chars(line.data(), end, number);
    if (error != std::errc() || last != end || line.empty() || number < 0) return std::nullopt;
    return number;
}

std::vector<std::string> xephyrArguments(Size size, int displayFd, bool softwareCursor,
                                         unsigned long parent) {
    // -noreset keeps the screen when its last client leaves for a moment (twm restarting);
    // the screen is local to this desktop, so it takes no TCP connections.
    // -parent goes before the -screen it is for: after it, it would make a second screen.
    std::vector<std::string> arguments{"-displayfd", std::to_string(displayFd)};
    if (parent != 0) arguments.insert(arguments.end(), {"-parent", std::to_string(parent)});
    arguments.insert(arguments.end(),
                     {"-screen", std::to_string(size.width) + "x" + std::to_string(size.height) + "x8",
                      "-noreset", "-nolisten", "tcp"});
    if (parent == 0) arguments.insert(arguments.end(), {"-title", kNestedTitle});
    if (softwareCursor) arguments.emplace_back("-sw-cursor");
    return arguments;
}

std::string_view twmConfiguration() {
    return "NoGrabServer\n"
           "RandomPlacement\n"
           "UsePPosition \"on\"\n"
           "DecorateTransients\n"
           "RestartPreviousState\n"
           "MoveDelta 3\n"
           "Function \"move-or-raise\" { f.move f.deltastop f.raise }\n"
           "Button1 = : title : f.function \"move-or-raise\"\n"
           "Button2 = : title : f.raiselower\n"
           "Button1 = : icon : f.iconify\n"
           "Button1 = : root : f.menu \"screen\"\n"
           "menu \"screen\"\n"
           "{\n"
           "    \"8-bit screen\" f.title\n"
           "    \"Terminal\" f.exec \"exec xterm &\"\n"
           "}\n";
}

std::string missingProgramsMessage(std::span<const NeededProgram> missing) {
    std::string names, packages;
    for (const NeededProgram& program : missing) {
        if (!names.empty()) names += " and ";
        names += program.name;
        packages += std::string(" ") + program.package;
    }
    return "--nested needs " + names + " to open an 8-bit screen, and " +
           (missing.size() == 1 ? "it is" : "they are") +
           " not installed\ninstall the Debian package" + (missing.size() == 1 ? "" : "s") +
           packages + " (sudo apt install" + packages + ")\n";
}

std::string noDesktopMessage(std::string_view reason) {
    return std::string(reason) +
           "\n"
           "over ssh, log in with \"ssh -X\" to open the 8-bit screen on your own desktop;\n"
           "without a desktop, run a headless 8-bit Xvfb and watch it through VNC, as\n"
           "\"WITHOUT A DESKTOP\" in vexa(1) shows\n";
}

int sessionStatus(SessionEnd end, int waitStatus, int signal) {
    switch (end) {
        case SessionEnd::vexaEnded:
            return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 1;
        case SessionEnd::screenClosed:
            return WIFEXITED(waitStatus) ? 0 : 1;
        case SessionEnd::windowClosed:
            return 0;
        case SessionEnd::signalled:
            return 128 + signal;
    }
    return 1;
}

}  // namespace vexa::nested
