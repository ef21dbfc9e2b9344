// Ways a run ends other than the close box. SIGTERM, SIGINT and SIGHUP end it as the close
// box does: the handler only notes the signal, and the event loop hands back and saves; a
// signal ignored when Vexa started (nohup) stays ignored.
// Losing the display saves what the run changed and exits with status 1 after one line on
// standard error.
#pragma once

namespace vexa {

class PaletteApp;

// Call once the display is open; `app` must outlive the event loop.
void endRunOnSignals(PaletteApp& app);
void saveAndExitOnLostDisplay(PaletteApp& app);

}  // namespace vexa
