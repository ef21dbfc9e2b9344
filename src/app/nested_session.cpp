#include "app/nested_session.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "base/console.h"
#include "nested/child_process.h"
#include "nested/screen_plan.h"
#include "nested/session.h"
#include "platform/x11/desktop_probe.h"
#include "platform/x11/nested_window_host.h"

extern char** environ;

namespace vexa {

namespace {

std::vector<std::string> currentEnvironment() {
    std::vector<std::string> environment;
    for (char** entry = environ; entry && *entry; ++entry) environment.emplace_back(*entry);
    return environment;
}

// The running program's own file, whatever name it was started by. Its link in /proc
// serves when the file is gone (replaced by an upgrade), at the price of the name "exe".
std::string ownProgram() {
    std::error_code error;
    std::string path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || path.ends_with(" (deleted)")) return "/proc/self/exe";
    return path;
}

}  // namespace

int runNestedSession(const CommandLine& line) {
    const char* displayVariable = std::getenv("DISPLAY");
    const std::string desktop = !line.display.empty() ? line.display
                                : displayVariable     ? displayVariable
                                                      : "";
    if (desktop.empty()) {
        say(nested::noDesktopMessage(
            "there is no desktop to open an 8-bit screen on: DISPLAY is not set"));
        return 1;
    }
    // Connected before the probe, whose end must not leave the desktop without a client: a
    // server that resets then refuses connections for a moment.
    const std::unique_ptr<NestedWindow> window = nestedWindowOn(desktop);
    const DesktopFacts facts = probeDesktop(desktop);
    if (!facts.opened) {
        say(nested::noDesktopMessage("cannot open display \"" + desktop +
                                     "\" to open an 8-bit screen on"));
        return 1;
    }
    const char* pathVariable = std::getenv("PATH");
    const std::string searchPath = pathVariable ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
    nested::SessionPlan plan;
    plan.desktop = desktop;
    plan.vexa = ownProgram();
    plan.vexaArgv = {"vexa"};
    plan.vexaArgv.insert(plan.vexaArgv.end(), line.nested.vexaArguments.begin(),
                         line.nested.vexaArguments.end());
    plan.environment = currentEnvironment();
    if (!line.nested.command.empty()) {
        plan.command = nested::findProgram(line.nested.command[0], searchPath);
        if (!plan.command) {
            say("cannot run " + line.nested.command[0] + ": no such program");
            return 1;
        }
        plan.commandArgv = line.nested.command;
    }
    if (facts.paletteBased) return nested::runSession(plan, nullptr);

    const std::optional<std::string> xephyr = nested::findProgram(nested::kXephyr.name, searchPath);
    const std::optional<std::string> twm = nested::findProgram(nested::kTwm.name, searchPath);
    std::vector<nested::NeededProgram> missing;
    if (!xephyr) missing.push_back(nested::kXephyr);
    if (!twm) missing.push_back(nested::kTwm);
    if (!missing.empty()) {
        say(nested::missingProgramsMessage(missing));
        return 1;
    }
    plan.xephyr = *xephyr;
    plan.twm = *twm;
    plan.size = line.nested.size.value_or(nested::chooseScreenSize(facts.area));
    plan.softwareCursor = !facts.render;
    return nested::runSession(plan, window.get());
}

}  // namespace vexa
