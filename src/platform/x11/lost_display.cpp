#include "platform/x11/lost_display.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <string>

#include "base/console.h"

namespace vexa {

namespace {

std::function<void()>& saver() {
    static std::function<void()> save;
    return save;
}

int lostDisplay(Display* display) {
    if (saver()) saver()();
    say("lost the connection to display \"" + std::string(DisplayString(display)) + "\"");
    // Xlib may not be used again, and nothing may return into it.
    ::_exit(1);
}

}  // namespace

void onLostDisplay(std::function<void()> save) {
    saver() = std::move(save);
    XSetIOErrorHandler(lostDisplay);
}

}  // namespace vexa
