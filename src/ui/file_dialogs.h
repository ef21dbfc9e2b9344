// The Save As and Open dialogs of the palette window, built on FLTK's file chooser (the
// GTK chooser cannot run on 8-bit visuals). The decisions about names live in
// platform/file_name_rules; this is the window around them.
#pragma once

#include <optional>
#include <string>

namespace vexa {

// The Save As dialog: initial name "SysPal", a filter "<label> (*.<extension>)" for every
// format Vexa writes ("Bitmap (*.bmp)" first), default extension "bmp", asking before a
// file is replaced or created. The full path to write, or nothing when the user cancelled.
std::optional<std::string> runSaveAsDialog();

// The Open dialog: filters "Images (*.bmp;*.png;*.gif)" (selected), "Palette files
// (*.gpl;*.pal;*.act;*.hex)" and "All files (*)", each listing the formats of the file
// format table in its group; only an existing file in an existing folder.
// The full path to read, or nothing when the user cancelled.
std::optional<std::string> runOpenDialog();

}  // namespace vexa
