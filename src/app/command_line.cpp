#include "app/command_line.h"

#include "palette/file_formats.h"
#include "platform/file_name_rules.h"

namespace vexa {
namespace {

// The widest line of the usage text, which the descriptions of options wrap to.
constexpr std::size_t kUsageWidth = 81;
constexpr std::size_t kDescriptionColumn = 22;

// The lines of an option: `option` with `description` beside it, wrapped at blanks.
std::string optionLines(std::string_view option, std::string_view description) {
    std::string text(option);
    text.resize(kDescriptionColumn, ' ');
    std::size_t lineStart = 0, column = kDescriptionColumn;
    while (!description.empty()) {
        const std::string_view word = description.substr(0, description.find(' '));
        description.remove_prefix(std::min(description.size(), word.size() + 1));
        if (column > kDescriptionColumn && column + 1 + word.size() > kUsageWidth) {
            text += '\n';
            lineStart = text.size();
            text.append(kDescriptionColumn, ' ');
            column = kDescriptionColumn;
        }
        if (column > kDescriptionColumn) text += ' ';
        text += word;
        column = text.size() - lineStart;
    }
    return text + '\n';
}

// What --save says: every extension it writes by, and the rest.
std::string saveDescription() {
    std::string text =
        "write the installed palette to FILE and exit, without a window; the extension "
        "chooses the format as in Save As:";
    for (const FileFormat& format : fileFormats())
        if (format.encode && &format != &listingFormat())
            text.append(" .").append(format.extension).append(",");
    return text + " any other the text listing; a name without an extension gets ." +
           kDefaultExtension;
}

std::string formatDescription() {
    std::string text = "with --print:";
    for (const FileFormat& format : fileFormats()) {
        if (!format.printable) continue;
        text.append(text.back() == ':' ? " " : ", ").append(format.extension);
        if (&format == &listingFormat()) text += " (the listing, the default)";
    }
    return text;
}

// True when `argument` is "-" followed by at least the first `shortest` letters of `name`.
bool abbreviates(std::string_view argument, std::string_view name, std::size_t shortest) {
    if (argument.size() < 2 || argument[0] != '-' || argument[1] == '-') return false;
    const std::string_view given = argument.substr(1);
    return given.size() >= shortest && given.size() <= name.size() &&
           name.substr(0, given.size()) == given;
}

CommandLine usageError(std::string message) {
    CommandLine line;
    line.action = CommandLineAction::usageError;
    line.error = std::move(message);
    return line;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string_view>& arguments) {
    CommandLine line;
    bool nested = false, commandGiven = false;
    // --help and --version answer only a command line that is right as a whole: a script
    // that misspells an option learns of it whatever the order.
    bool help = false, version = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--") {
            line.nested.command.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                       arguments.end());
            commandGiven = true;
            break;
        }
        if (argument == "--help" || argument == "-h") {
            help = true;
            continue;
        }
        if (argument == "--version") {
            version = true;
            continue;
        }
        std::string problem;
        if (takeScriptOption(arguments, i, line.script, problem)) {
            if (!problem.empty()) return usageError(problem);
            continue;
        }
        if (argument == "--nested") {
            nested = true;
            // A size, when one follows: anything starting with a digit is meant as one.
            if (i + 1 < arguments.size() && !arguments[i + 1].empty() &&
                arguments[i + 1][0] >= '0' && arguments[i + 1][0] <= '9') {
                const std::string_view value = arguments[++i];
                line.nested.size = nested::parseScreenSize(value);
                if (!line.nested.size)
                    return usageError("invalid screen size '" + std::string(value) + "' (WxH, " +
                                      std::to_string(nested::kMinScreenSide) + " to " +
                                      std::to_string(nested::kMaxScreenSide) + " each)");
            }
            continue;
        }
        if (abbreviates(argument, "iconic", 1)) {
            line.start.iconic = true;
            line.nested.vexaArguments.emplace_back("-iconic");
            continue;
        }
        const bool display = abbreviates(argument, "display", 1);
        const bool geometry = abbreviates(argument, "geometry", 1);
        if (!display && !geometry)
            return usageError("unknown option '" + std::string(argument) + "'");
        if (i + 1 == arguments.size())
            return usageError("option '" + std::string(argument) + "' needs a value");
        const std::string_view value = arguments[++i];
        if (display) {
            if (value.empty()) return usageError("empty display name");
            line.display = value;
        } else {
            line.start.geometry = parseGeometry(value);
            if (!line.start.geometry)
                return usageError("invalid geometry '" + std::string(value) + "'");
            line.nested.vexaArguments.insert(line.nested.vexaArguments.end(),
                                             {"-geometry", std::string(value)});
        }
    }
    if (commandGiven && !nested) return usageError("a command after -- goes with --nested");
    if (commandGiven && line.nested.command.empty()) return usageError("no command after --");
    if (std::string problem = scriptCommandProblem(line.script); !problem.empty())
        return usageError(problem);
    if (line.script.action != ScriptAction::none) {
        if (line.start.iconic || line.start.geometry)
            return usageError("-geometry and -iconic place the window; scripts have none");
        if (nested)
            return usageError(
                "--nested opens a window; --save, --print, --watch and --record have none");
        line.action = CommandLineAction::script;
    } else if (nested) {
        line.action = CommandLineAction::nested;
    }
    if (help || version) line.action = help ? CommandLineAction::help : CommandLineAction::version;
    return line;
}

std::string usageText() {
    return "Usage: vexa --nested [WxH] [-- COMMAND [ARG...]]\n"
           "       vexa [-display NAME] [-geometry WxH+X+Y] [-iconic]\n"
           "       vexa [-display NAME] --save FILE\n"
           "       vexa [-display NAME] --print [--format " +
           printFormatList("|", "|") +
           "]\n"
           "       vexa [-display NAME] --watch\n"
           "       vexa [-display NAME] --record FILE [--duration SECONDS]\n"
           "       vexa --help | --version\n"
           "Shows the shared colour palette of an 8-bit PseudoColor X display and reads,\n"
           "saves, loads, copies and clears it.\n"
           "\n"
           "On an ordinary desktop, start Vexa in an 8-bit screen of its own; here with a\n"
           "picture that another program shows with a palette of its own beside it:\n"
           "    vexa --nested -- xli -private picture.gif\n"
           "\n"
           "      --nested [WxH]  open an 8-bit screen of WxH pixels (Xephyr with the twm\n"
           "                      window manager) in a window on the desktop and run Vexa\n"
           "                      in it, and COMMAND too; everything ends when Vexa ends or\n"
           "                      the window is closed. On a palette display Vexa and\n"
           "                      COMMAND run there. -display names the desktop, -geometry\n"
           "                      and -iconic place Vexa's window in the screen.\n"
           "  -display NAME       the X display to use instead of $DISPLAY\n"
           "  -geometry WxH+X+Y   the window's size and position for this run only; the\n"
           "                      place kept from earlier runs stays for the next start\n"
           "  -iconic             start with the window minimised\n" +
           optionLines("      --save FILE", saveDescription()) +
           "      --print         write the installed palette to standard output and exit\n" +
           optionLines("      --format F", formatDescription()) +
           "      --watch         print a line with the time and the changed entries\n"
           "                      (\"i: r, g, b\") whenever the installed colours change,\n"
           "                      until interrupted\n"
           "      --record FILE   record every change of the installed colours until\n"
           "                      interrupted, then write FILE: .gif an animation of the\n"
           "                      palette, .png a timeline (a row per state), .txt the\n"
           "                      --watch lines; the states wait in $TMPDIR meanwhile\n"
           "      --duration S    with --record: stop recording after S seconds\n"
           "  -h, --help          print this text and exit\n"
           "      --version       print the version and exit\n"
           "\n"
           "There is no --load: on X11 the colormap a program installs is freed when the\n"
           "program ends, so a palette loaded from the command line cannot outlive it.\n"
           "Open a palette in the window instead: File > Open reads 8-bit BMP, indexed PNG\n"
           "and GIF images, RIFF palettes and the palette files above.\n"
           "\n"
           "Exit status: 0 when the window was closed or a command finished, 1 when the\n"
           "display cannot be used or a command failed (the reason follows \"vexa: \" on\n"
           "standard error), 2 when the command line is wrong, whatever else it holds.\n"
           "\n"
           "The settings are kept in $XDG_CONFIG_HOME/vexa/system.reg; see vexa(1).\n";
}

std::string versionLine(std::uint32_t version) {
    return "Vexa " + std::to_string(version >> 16) + "." + std::to_string(version & 0xFFFF);
}

}  // namespace vexa
