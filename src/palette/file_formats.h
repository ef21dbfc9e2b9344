// The file formats Vexa writes and reads, one row each. Save As and --save choose a row by
// the name's extension, Open by the file's content, --print by its --format name; the
// dialogs' filters and the usage text list the rows. A new format is a new row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>

#include "base/palette_types.h"
#include "palette/palette_bitmap.h"

namespace vexa {

// What an encoder writes from.
struct PaletteToWrite {
    const SystemPaletteSnapshot& snapshot;
    int entryCount;        // the entries the text listing shows
    const std::tm* local;  // the listing's time, taken before the palette was read
    std::string name;      // the palette's name, where a format keeps one
};

// The Open dialog's filter that lists a format's extension.
enum class OpenFilter { none, images, paletteFiles };

struct FileFormat {
    std::string_view extension;  // lower case, without the dot; "" when no name chooses it
    std::string_view label;      // Save As's filter "<label> (*.<extension>)"; "" not offered
    std::string (*encode)(const PaletteToWrite&);  // null when Vexa does not write it
    bool printable;  // --print --format <extension> writes it to standard output
    BitmapColourTable (*read)(std::span<const std::uint8_t>);  // null when Open refuses it
    bool (*holds)(std::span<const std::uint8_t>);  // whether the bytes look like this format
    // Open takes the file by `holds` alone; otherwise only under its own extension.
    bool byContent;
    std::size_t largestFile;  // Open refuses a larger file of this format
    OpenFilter openFilter;
};

// Every row, in the order of Save As's filters.
std::span<const FileFormat> fileFormats();

// The text listing: what a name of no other format's extension saves.
const FileFormat& listingFormat();

// The format a save to `path` writes: by the final extension in any letter case.
const FileFormat& saveFormatFor(const std::string& path);

// The printable format called `name` ("txt", "gpl", ...), or null.
const FileFormat* printFormatNamed(std::string_view name);

// How many bytes of a file Open reads: one more than the largest file a format takes.
std::size_t openReadSize();

// The format Open reads `bytes`, the start of the file `path`, as: the one whose content
// they hold, else the one whose extension `path` has that confirms its content by name;
// else the bitmap's. A file named like another format than the bitmap that it does not
// hold, or larger than its format takes, is UnsupportedFormat.
const FileFormat& openFormatFor(std::span<const std::uint8_t> bytes, const std::string& path);

}  // namespace vexa
