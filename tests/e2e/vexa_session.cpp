#include "vexa_session.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vexa::testing {

namespace {

const char* kKeyPrefix = "[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa\\";

}  // namespace

ConfigHome::ConfigHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexa-e2e-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ConfigHome::~ConfigHome() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ConfigHome::seedVersion(
    std::uint32_t version, const std::vector<std::pair<std::string, std::uint32_t>>& values) const {
    std::filesystem::create_directories(path_ + "/vexa");
    auto dword = [](std::uint32_t value) {
        char text[16];
        std::snprintf(text, sizeof text, "%08x", value);
        return std::string(text);
    };
    std::ofstream out(storePath());
    out << "REGEDIT4\n\n"
        << kKeyPrefix << "CurrentVersion]\n"
        << "\"Version\"=dword:" << dword(version) << "\n";
    for (const auto& [path, value] : values) {
        const std::size_t slash = path.find('\\');
        out << "\n"
            << kKeyPrefix << path.substr(0, slash) << "]\n\"" << path.substr(slash + 1)
            << "\"=dword:" << dword(value) << "\n";
    }
}

std::string ConfigHome::storeText() const {
    std::ifstream in(storePath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<std::uint32_t> ConfigHome::dword(const std::string& section,
                                               const std::string& entry) const {
    std::istringstream lines(storeText());
    const std::string header = kKeyPrefix + section + "]";
    const std::string name = "\"" + entry + "\"=dword:";
    bool inSection = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') inSection = line == header;
        if (inSection && line.rfind(name, 0) == 0)
            return static_cast<std::uint32_t>(std::stoul(line.substr(name.size()), nullptr, 16));
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::uint32_t>> storedBounds(int left, int top, int right,
                                                                int bottom) {
    return {{"Window\\Bounds.left", static_cast<std::uint32_t>(left)},
            {"Window\\Bounds.top", static_cast<std::uint32_t>(top)},
            {"Window\\Bounds.right", static_cast<std::uint32_t>(right)},
            {"Window\\Bounds.bottom", static_cast<std::uint32_t>(bottom)}};
}

std::string toString(const Geometry& g) {
    return std::to_string(g.width) + "x" + std::to_string(g.height) + "+" + std::to_string(g.x) +
           "+" + std::to_string(g.y);
}

Geometry storedPlacement(const ConfigHome& home) {
    auto at = [&](const char* entry) {
        return static_cast<int>(home.dword("Window", entry).value_or(0));
    };
    const int left = at("Bounds.left"), top = at("Bounds.top");
    return {left, top, at("Bounds.right") - left, at("Bounds.bottom") - top};
}

Geometry windowGeometry(::Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return {};
    const auto [x, y] = rootPosition(display, window);
    return {x, y, attributes.width, attributes.height};
}

bool waitForWindowManager(::Display* display, std::chrono::milliseconds timeout) {
    // Only a window manager redirects the root's substructure. Asking the server who
    // listens changes nothing: trying the redirect ourselves would, for a moment, hold it
    // against a manager that is just starting.
    return waitFor(
        [&] {
            XWindowAttributes root{};
            return XGetWindowAttributes(display, DefaultRootWindow(display), &root) &&
                   (root.all_event_masks & SubstructureRedirectMask) != 0;
        },
        timeout);
}

namespace {
std::vector<std::string> commandLine(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{VEXA_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}
}  // namespace

VexaProcess::VexaProcess(const ConfigHome& home, const std::vector<std::string>& arguments)
    : process_((setenv("XDG_CONFIG_HOME", home.path().c_str(), 1), commandLine(arguments))) {}

Window VexaProcess::waitForWindow(::Display* display) {
    return findWindowByName(display, "Vexa");
}

bool VexaProcess::waitForGeometry(::Display* display, Window window, const Geometry& expected) {
    return waitFor([&] { return windowGeometry(display, window) == expected; });
}

std::optional<int> VexaProcess::waitForExit(std::chrono::milliseconds timeout) {
    return process_.wait(timeout);
}

void VexaTest::start(const std::vector<std::string>& arguments) {
    vexa.reset();
    vexa = std::make_unique<VexaProcess>(home, arguments);
    window = vexa->waitForWindow(x);
    ASSERT_NE(window, 0u);
}

bool chooseMenu(Window window, const std::vector<std::string>& keys) {
    if (!focusOn(window)) return false;
    for (const std::string& key : keys)
        if (!xdotool({"key", "--delay", "60", key})) return false;
    return true;
}

std::string waitForTitle(::Display* display, Window window, const std::string& expected) {
    std::string seen;
    waitFor([&] { return (seen = title(display, window)) == expected; });
    return seen;
}

Outcome runVexa(const ConfigHome& home, const std::string& display, const std::string& arguments) {
    const std::string errors = home.path() + "/stderr";
    const std::string command =
        (display.empty() ? std::string("unset DISPLAY; ") : "DISPLAY='" + display + "' ") +
        "XDG_CONFIG_HOME='" + home.path() + "' timeout 10 '" + VEXA_BINARY + "' " + arguments +
        " 2>'" + errors + "'";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        outcome.out.append(buffer, n);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    std::stringstream err;
    err << std::ifstream(errors).rdbuf();
    outcome.err = err.str();
    return outcome;
}

bool ignoresSignal(pid_t pid, int signal) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(file, line))
        if (line.rfind("SigIgn:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
    return false;
}

}  // namespace vexa::testing
