#include "app/run_end.h"

#include <FL/Fl.H>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "app/palette_app.h"
#include "platform/x11/lost_display.h"

namespace vexa {

namespace {

int signalPipe[2] = {-1, -1};
PaletteApp* runningApp = nullptr;

void noteSignal(int number) {
    const int saved = errno;
    const char byte = static_cast<char>(number);
    // A full pipe already holds a request to end.
    [[maybe_unused]] ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

void signalArrived(int fd, void*) {
    char bytes[16];
    while (::read(fd, bytes, sizeof bytes) > 0) {
    }
    if (runningApp) runningApp->endRun();
}

}  // namespace

void endRunOnSignals(PaletteApp& app) {
    runningApp = &app;
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    Fl::add_fd(signalPipe[0], FL_READ, signalArrived);
    struct sigaction action {};
    action.sa_handler = noteSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(number, &action, nullptr);
}

void saveAndExitOnLostDisplay(PaletteApp& app) {
    onLostDisplay([&app] { app.saveWithoutDisplay(); });
}

}  // namespace vexa
