// The File and Edit commands of the palette window, each whole: its dialog or the
// clipboard, and the palette model. The window's command table calls them; a
// CommandFailure they raise goes on to the window's dispatch, which shows it.
#pragma once

namespace vexa {

class PaletteModel;

// File > Save As: asks for a name, then writes the palette bitmap or the text dump.
void saveAsCommand(const PaletteModel& model);
// File > Open: asks for an existing bitmap, then loads its colour table.
void openCommand(const PaletteModel& model);
// Edit > Copy: offers the system palette as it is now on the clipboard. A clipboard that
// cannot be taken is a SilentFailure.
void copyCommand(const PaletteModel& model);
// Edit > Clear: every settable entry black, the static ones kept.
void clearCommand(const PaletteModel& model);

}  // namespace vexa
