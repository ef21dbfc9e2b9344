// What Save As and Open do once their dialog has named a file: Save As writes a palette
// bitmap when the final name's extension is "bmp" in any letter case and a text dump
// otherwise (the filter chosen in the dialog plays no part); Open loads the bitmap.
#pragma once

#include <string>

namespace vexa {

class PaletteModel;

enum class SaveFormat { paletteBitmap, textDump };

// The format a save to `path` writes.
SaveFormat saveFormatFor(const std::string& path);

// Saves the current system palette to `path` in the format its name asks for.
// Throws CommandFailure.
void savePalette(const std::string& path, const PaletteModel& model);

}  // namespace vexa
