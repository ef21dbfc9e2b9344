// What Save As and Open do once their dialog has named a file, in the formats of
// file_formats. Save As chooses the format by the final name's extension in any letter case
// (the filter chosen in the dialog plays no part); Open recognises the file by its content.
#pragma once

#include <string>

namespace vexa {

class PaletteModel;

// Saves the current system palette to `path` in the format its name asks for: the one
// routine that writes a palette to a file. The file is opened first, then the palette
// read and encoded; on any failure the file at `path` is left as it was. Throws
// CommandFailure; running out of memory is left to the command's dispatch.
void savePalette(const std::string& path, const PaletteModel& model);

// Makes the colours of the image or palette file at `path` the system palette (entries
// 10 to 245 that the file has). A PNG, GIF or palette file that breaks its format, or a
// file named like one that is none, is UnsupportedFormat; any other file is read as a
// bitmap. A failed load leaves the system palette unchanged. Throws CommandFailure.
void loadPalette(const std::string& path, const PaletteModel& model);

}  // namespace vexa
