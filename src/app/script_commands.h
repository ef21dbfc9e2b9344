// The commands for scripts: --save FILE, --print [--format NAME], --watch and --record FILE
// [--duration SECONDS] (app/record_command).
// They work on the display without a window: read the installed palette, write it, end
// (--watch runs until it is interrupted). --save names the file as Save As does, giving a
// name without an extension ".bmp". A failure says the message the window would show on
// standard error and ends with status 1. Loading is not among them: on X11 a
// colormap that a client installs goes when the client ends.
#pragma once

#include <chrono>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "palette/file_formats.h"

namespace vexa {

class DisplayDevice;
class PaletteModel;

enum class ScriptAction { none, save, print, watch, record };

struct ScriptCommand {
    ScriptAction action = ScriptAction::none;
    std::string path;                             // --save, --record
    const FileFormat* format = &listingFormat();  // --print
    bool formatGiven = false;
    std::chrono::nanoseconds duration{0};  // --duration; 0 when not given
};

// Takes arguments[i], and the value after it for --save, --format, --record and --duration,
// into `command` when it is one of the script options, moving `i` to the last argument
// taken. False when it is not one; a usage problem (a missing value, an unknown format, a
// recording to a file of no known kind, a duration that is no positive number) is put in
// `error`.
bool takeScriptOption(std::span<const std::string_view> arguments, std::size_t& i,
                      ScriptCommand& command, std::string& error);

// The names --format takes, between them `between` and before the last `last`.
std::string printFormatList(std::string_view between, std::string_view last);

// The usage problem of a complete command line's script options: more than one action,
// --format without --print or --duration without --record. Empty when there is none.
std::string scriptCommandProblem(const ScriptCommand& command);

// Runs `command` on `display`, writing to `out` and failures to `err`; the exit status
// (1 after a failure, kFaultExitStatus after a fault of the program).
int runScriptCommand(const ScriptCommand& command, DisplayDevice& display, std::FILE* out,
                     std::FILE* err);

}  // namespace vexa
