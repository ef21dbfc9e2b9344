// The command line, read before any window opens. Without arguments the program starts
// as it always does; --help and --version answer and end without a display; the X
// toolkit options -display, -geometry and -iconic change where the window goes; --save,
// --print, --watch and --record run a command for scripts on the display without a window;
// --nested
// opens an 8-bit screen for the window (and a command beside it) on a desktop that has
// none; anything else is a usage error, wherever it stands, even beside --help or
// --version.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "nested/screen_plan.h"
#include "app/script_commands.h"
#include "palette/start_geometry.h"

namespace vexa {

enum class CommandLineAction { run, help, version, script, nested, usageError };

// --nested [WxH] [-- COMMAND [ARG...]]
struct NestedRequest {
    std::optional<Size> size;  // nothing: a size that fits the desktop
    std::vector<std::string> command;
    // -geometry and -iconic as given, for Vexa in the nested screen.
    std::vector<std::string> vexaArguments;
};

struct CommandLine {
    CommandLineAction action = CommandLineAction::run;
    std::string display;  // empty: $DISPLAY
    StartOptions start;
    ScriptCommand script;  // for CommandLineAction::script
    NestedRequest nested;  // for CommandLineAction::nested
    std::string error;     // what was wrong, for usageError
};

// The arguments after the program name. The X options may be shortened as the X toolkit
// allows ("-geom", "-disp"); an option that takes a value takes the next argument.
CommandLine parseCommandLine(const std::vector<std::string_view>& arguments);

// The usage text that --help prints, lines ended by LF.
std::string usageText();

// "Vexa 1.6" for version 65542: major in the high 16 bits, minor in the low 16 bits.
std::string versionLine(std::uint32_t version);

}  // namespace vexa
