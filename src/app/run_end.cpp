#include "app/run_end.h"

#include <FL/Fl.H>

#include "app/palette_app.h"
#include "base/end_signals.h"
#include "platform/x11/lost_display.h"

namespace vexa {

namespace {

PaletteApp* runningApp = nullptr;

void signalArrived(int, void*) {
    while (takeEndSignal() != 0) {
    }
    if (runningApp) runningApp->endRun();
}

}  // namespace

void endRunOnSignals(PaletteApp& app) {
    runningApp = &app;
    if (!watchEndSignals()) return;
    Fl::add_fd(endSignalFd(), FL_READ, signalArrived);
}

void saveAndExitOnLostDisplay(PaletteApp& app) {
    onLostDisplay([&app] { app.saveWithoutDisplay(); });
}

}  // namespace vexa
