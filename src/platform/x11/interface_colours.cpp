#include "platform/x11/interface_colours.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xft/Xft.h>

#include <array>
#include <limits>
#include <vector>

#include "platform/x11/x11_display.h"
#include "platform/x11/x_error_trap.h"

// FLTK's table of the pixel it draws each of its 256 colour indices with (mapped 1: allocated
// by FLTK in its colormap, 2: chosen from a colormap without allocation). Not in FLTK's
// public headers, but stable through the 1.3 series.
struct Fl_XColor {
    unsigned char r, g, b;
    unsigned char mapped;
    unsigned long pixel;
};
extern Fl_XColor fl_xmap[1][256];

namespace vexa {
namespace {

constexpr int kFltkColours = 256;
constexpr unsigned char kChosen = 2;

// FLTK's own entries while another colormap is installed; put back when the default returns.
struct SavedMap {
    std::array<Fl_XColor, kFltkColours> entries{};
    bool saved = false;
};

SavedMap& savedMap() {
    static SavedMap map;
    return map;
}

std::vector<XColor> colormapColours(Display* connection, Colormap colormap) {
    const int size = DefaultVisual(connection, DefaultScreen(connection))->map_entries;
    std::vector<XColor> cells(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) {
        cells[static_cast<std::size_t>(i)].pixel = static_cast<unsigned long>(i);
        cells[static_cast<std::size_t>(i)].flags = DoRed | DoGreen | DoBlue;
    }
    XErrorTrap trap(connection);
    XQueryColors(connection, colormap, cells.data(), size);
    if (trap.failed()) cells.clear();  // freed meanwhile: its successor brings the next match
    return cells;
}

using Rgb = std::array<unsigned char, 3>;

long distance(const XColor& cell, const Rgb& colour) {
    const auto [r, g, b] = colour;
    const long dr = (cell.red >> 8) - r, dg = (cell.green >> 8) - g, db = (cell.blue >> 8) - b;
    return dr * dr + dg * dg + db * db;
}

const XColor& nearest(const std::vector<XColor>& cells, const Rgb& colour) {
    const XColor* best = &cells.front();
    long bestDistance = std::numeric_limits<long>::max();
    for (const XColor& cell : cells) {
        const long d = distance(cell, colour);
        if (d < bestDistance) {
            best = &cell;
            bestDistance = d;
        }
    }
    return *best;
}

bool restoreFltkMap() {
    SavedMap& saved = savedMap();
    if (!saved.saved) return false;
    bool changed = false;
    for (int i = 0; i < kFltkColours; ++i) {
        changed =
            changed || fl_xmap[0][i].pixel != saved.entries[static_cast<std::size_t>(i)].pixel;
        fl_xmap[0][i] = saved.entries[static_cast<std::size_t>(i)];
    }
    saved.saved = false;
    return changed;
}

bool chooseFrom(const std::vector<XColor>& cells) {
    SavedMap& saved = savedMap();
    if (!saved.saved) {
        for (int i = 0; i < kFltkColours; ++i)
            saved.entries[static_cast<std::size_t>(i)] = fl_xmap[0][i];
        saved.saved = true;
    }
    bool changed = false;
    for (int i = 0; i < kFltkColours; ++i) {
        unsigned char r = 0, g = 0, b = 0;
        Fl::get_color(static_cast<Fl_Color>(i), r, g, b);
        const XColor& cell = nearest(cells, {r, g, b});
        Fl_XColor& entry = fl_xmap[0][i];
        changed = changed || entry.mapped == 0 || entry.pixel != cell.pixel;
        entry = {static_cast<unsigned char>(cell.red >> 8),
                 static_cast<unsigned char>(cell.green >> 8),
                 static_cast<unsigned char>(cell.blue >> 8), kChosen, cell.pixel};
    }
    return changed;
}

}  // namespace

bool matchInterfaceColours(Display* connection, Colormap installed) {
    if (installed == None || !paletteScreen(connection)) return false;
    if (installed == DefaultColormap(connection, DefaultScreen(connection)))
        return restoreFltkMap();
    const std::vector<XColor> cells = colormapColours(connection, installed);
    if (cells.empty()) return false;
    return chooseFrom(cells);
}

void useCoreTextOnPaletteScreens() {
    Display* connection = fl_display;
    if (!paletteScreen(connection)) return;
    FcPattern* defaults = FcPatternCreate();
    if (!defaults) return;
    FcPatternAddBool(defaults, XFT_RENDER, FcFalse);
    FcPatternAddBool(defaults, FC_ANTIALIAS, FcFalse);
    // Xft owns the pattern from here on.
    if (!XftDefaultSet(connection, defaults)) FcPatternDestroy(defaults);
}

}  // namespace vexa
