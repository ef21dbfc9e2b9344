// Vexa's side of the CLIPBOARD selection. Copy makes Vexa its owner with the copied
// colours in these targets: TARGETS, TIMESTAMP, COLORMAP (a colormap holding the copied
// entries, the X form of a palette object), image/bmp (the palette bitmap), text/plain (the
// text listing, CR LF bytes as saved) and, for terminals and editors, UTF8_STRING, STRING
// and TEXT (the listing with LF line ends); MULTIPLE is answered too. Requests are
// answered from a connection of the clipboard's own, watched from the program's event loop, for as
// long as Vexa owns the selection. Another program taking the selection is normal: the
// content is then dropped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/palette_types.h"

namespace vexa {

// The copied colours in every form the clipboard offers them.
struct ClipboardPalette {
    std::vector<PaletteEntry> entries;  // the first entryCount entries of the copy
    std::vector<std::uint8_t> bitmap;   // the palette bitmap of those colours
    std::string text;                   // the text listing of those colours
};

// Makes Vexa the owner of CLIPBOARD with `palette` as its content, replacing what an
// earlier copy offered. Throws a SilentFailure when the selection cannot be taken and
// OutOfMemory when the colormap cannot be made; the clipboard is then unchanged.
void offerPaletteOnClipboard(const ClipboardPalette& palette);

// Gives up the selection and closes the clipboard's connection; called once at exit. When a
// clipboard manager runs, it is first asked to keep the bitmap and the listing's forms.
void closeClipboard();

}  // namespace vexa
