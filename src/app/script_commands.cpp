#include "app/script_commands.h"

#include <ctime>
#include <exception>
#include <new>
#include <system_error>

#include "app/palette_app.h"
#include "app/palette_watch.h"
#include "app/platform_check.h"
#include "app/program_fault.h"
#include "app/record_command.h"
#include "base/command_failure.h"
#include "base/console.h"
#include "palette/file_commands.h"
#include "palette/palette_listing.h"
#include "palette/palette_model.h"
#include "palette/recording_formats.h"
#include "palette/text_dump.h"
#include "platform/file_name_rules.h"

namespace vexa {
namespace {

void put(std::FILE* out, const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0)
        throw CommandFailure(FileErrorKind::generalError, std::nullopt);
}

void printPalette(const PaletteModel& model, const FileFormat& format, std::FILE* out) {
    std::tm storage{};
    const std::tm* local = localTimeNow(storage);
    put(out, printedPalette(format, model.entryCount(), model.readSystemPalette(), local));
}

}  // namespace

bool takeScriptOption(std::span<const std::string_view> arguments, std::size_t& i,
                      ScriptCommand& command, std::string& error) {
    const std::string_view argument = arguments[i];
    auto action = [&](ScriptAction a) {
        if (command.action != ScriptAction::none && command.action != a)
            error = "--save, --print, --watch and --record exclude each other";
        command.action = a;
    };
    if (argument == "--print") {
        action(ScriptAction::print);
        return true;
    }
    if (argument == "--watch") {
        action(ScriptAction::watch);
        return true;
    }
    if (argument != "--save" && argument != "--format" && argument != "--record" &&
        argument != "--duration")
        return false;
    if (i + 1 == arguments.size()) {
        error = "option '" + std::string(argument) + "' needs a value";
        return true;
    }
    const std::string_view value = arguments[++i];
    if (argument == "--save") {
        action(ScriptAction::save);
        if (value.empty()) error = "empty file name";
        command.path = value;
    } else if (argument == "--record") {
        action(ScriptAction::record);
        if (value.empty())
            error = "empty file name";
        else if (!recordingFormatFor(value))
            error = "cannot record to '" + std::string(value) +
                    "': the name must end in .gif, .png or .txt";
        command.path = value;
    } else if (argument == "--duration") {
        if (const auto duration = parseDuration(value))
            command.duration = *duration;
        else
            error = "invalid duration '" + std::string(value) + "' (a positive number of seconds)";
    } else if (const FileFormat* format = printFormatNamed(value)) {
        command.format = format;
        command.formatGiven = true;
    } else {
        error =
            "unknown format '" + std::string(value) + "' (" + printFormatList(", ", " or ") + ")";
    }
    return true;
}

std::string printFormatList(std::string_view between, std::string_view last) {
    std::vector<std::string_view> names;
    for (const FileFormat& format : fileFormats())
        if (format.printable) names.push_back(format.extension);
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i)
        list.append(i == 0 ? "" : i + 1 == names.size() ? last : between).append(names[i]);
    return list;
}

std::string scriptCommandProblem(const ScriptCommand& command) {
    if (command.formatGiven && command.action != ScriptAction::print)
        return "--format goes with --print";
    if (command.duration.count() > 0 && command.action != ScriptAction::record)
        return "--duration goes with --record";
    return {};
}

int runScriptCommand(const ScriptCommand& command, DisplayDevice& display, std::FILE* out,
                     std::FILE* err) {
    const char* message = nullptr;
    std::string failure;
    try {
        if (!platformSupported(runningPlatformVersion())) {
            message = kPlatformMessage;
        } else {
            const PaletteModel model(display);
            switch (command.action) {
                case ScriptAction::save:
                    // As Save As does with a name typed without an extension.
                    savePalette(withDefaultExtension(command.path, kDefaultExtension), model);
                    break;
                case ScriptAction::print:
                    printPalette(model, *command.format, out);
                    break;
                case ScriptAction::watch:
                    watchPalette(model, out);
                    break;
                case ScriptAction::record:
                    recordPalette(model, command.path, command.duration, err);
                    break;
                case ScriptAction::none:
                    break;
            }
        }
    } catch (const PaletteModelError& error) {
        message = error.notPaletteDevice() ? kPaletteModeMessage : kNoMemoryMessage;
    } catch (const CommandFailure& error) {
        failure = error.shown() ? error.message() : "";
        message = failure.c_str();
    } catch (const std::system_error& error) {
        failure = CommandFailure::fromSystemError(error).message();
        message = failure.c_str();
    } catch (const std::bad_alloc&) {
        message = kNoMemoryMessage;
    } catch (...) {
        reportFault(err, std::current_exception());
        return kFaultExitStatus;
    }
    if (!message) return 0;
    if (*message) sayTo(err, message);
    return 1;
}

}  // namespace vexa
