#include "platform/x11/open_display.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/console.h"

namespace vexa {
namespace {

void sayToolkitMessage(const char* format, std::va_list arguments) {
    std::va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, again);
    va_end(again);
    std::string text(length > 0 ? std::size_t(length) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    say(text);
}

void toolkitWarning(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    sayToolkitMessage(format, arguments);
    va_end(arguments);
}

[[noreturn]] void toolkitFatal(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    sayToolkitMessage(format, arguments);
    va_end(arguments);
    std::exit(1);
}

// An X error that no part of the program traps is reported and the run goes on, as FLTK does
// when it opens the display itself; Xlib's own handler would end the program unsaved.
int reportXError(Display* display, XErrorEvent* error) {
    char request[16], requestName[128], text[128];
    std::snprintf(request, sizeof request, "%d", error->request_code);
    XGetErrorDatabaseText(display, "XRequest", request, request, requestName, sizeof requestName);
    XGetErrorText(display, error->error_code, text, sizeof text);
    Fl::warning("%s: %s 0x%lx", requestName, text, error->resourceid);
    return 0;
}

}  // namespace

std::unique_ptr<X11Display> openDisplay() {
    Fl::warning = toolkitWarning;
    Fl::error = toolkitWarning;
    Fl::fatal = toolkitFatal;
    XSetErrorHandler(reportXError);
    Display* connection = XOpenDisplay(nullptr);
    if (!connection) {
        say("cannot open display \"" + std::string(XDisplayName(nullptr)) + "\"");
        return nullptr;
    }
    fl_open_display(connection);
    return std::make_unique<X11Display>(connection);
}

}  // namespace vexa
