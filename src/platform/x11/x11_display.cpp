#include "platform/x11/x11_display.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <vector>

#include "base/command_failure.h"
#include "platform/x11/palette_recorder.h"
#include "platform/x11/x_error_trap.h"

namespace vexa {
namespace {

// The number of colours at each end of the hardware palette that realisation leaves alone.
constexpr int kStaticColours = 10;
// Another client may free the installed colormap between our listing and our query;
// the next listing then names its successor.
constexpr int kAttempts = 3;

class X11DisplayInfo : public DisplayInfo {
  public:
    X11DisplayInfo(bool based, int size) : based_(based), size_(size) {}
    bool paletteBased() const override { return based_; }
    int paletteSize() const override { return size_; }

  private:
    bool based_;
    int size_;
};

class X11PaletteObject : public PaletteObject {
  public:
    explicit X11PaletteObject(const LogicalPalette& logical) : record(logical) {}
    LogicalPalette record;
};

Visual* defaultVisual(Display* connection) {
    return DefaultVisual(connection, DefaultScreen(connection));
}

// The colours of `count` entries from `start` of the installed colormap, asked of the server.
std::vector<XColor> queryInstalledColours(Display* connection, int start, int count) {
    std::vector<XColor> cells(count);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        Colormap colormap = installedColormap(connection);
        if (colormap == None) break;
        for (int i = 0; i < count; ++i) {
            cells[i].pixel = static_cast<unsigned long>(start) + static_cast<unsigned long>(i);
            cells[i].flags = DoRed | DoGreen | DoBlue;
        }
        XErrorTrap trap(connection);
        XQueryColors(connection, colormap, cells.data(), count);
        if (!trap.failed()) return cells;
    }
    throw CommandFailure::resourceUnavailable();
}

std::uint8_t eightBits(unsigned short channel) {
    return static_cast<std::uint8_t>(channel >> 8);
}

}  // namespace

bool paletteScreen(Display* connection) {
    const int visualClass = defaultVisual(connection)->c_class;
    return visualClass == PseudoColor || visualClass == GrayScale;
}

Colormap installedColormap(Display* connection) {
    int count = 0;
    Colormap* maps = XListInstalledColormaps(connection, DefaultRootWindow(connection), &count);
    Colormap first = (maps && count > 0) ? maps[0] : None;
    if (maps) XFree(maps);
    return first;
}

X11Display::X11Display(Display* connection) : connection_(connection) {}

X11Display::~X11Display() {
    if (!connection_ || realised_ == None) return;
    XFreeColormap(connection_, realised_);
    XFlush(connection_);
}

void X11Display::requireConnection() const {
    if (!connection_) throw CommandFailure::resourceUnavailable();
}

bool X11Display::paletteBased() const {
    return paletteScreen(connection_);
}

int X11Display::paletteSize() const {
    return defaultVisual(connection_)->map_entries;
}

std::unique_ptr<DisplayInfo> X11Display::openInfo() {
    if (!connection_) return nullptr;
    return std::make_unique<X11DisplayInfo>(paletteBased(), paletteSize());
}

int X11Display::readSystemPaletteEntries(int start, int count, PaletteEntry* out) {
    requireConnection();
    if (!paletteBased()) return 0;
    count = std::min(count, paletteSize() - start);
    if (start < 0 || count <= 0) return 0;
    const auto cells = queryInstalledColours(connection_, start, count);
    for (int i = 0; i < count; ++i)
        out[i] = {eightBits(cells[i].red), eightBits(cells[i].green), eightBits(cells[i].blue), 0};
    return count;
}

std::unique_ptr<PaletteObject> X11Display::createPalette(const LogicalPalette& palette) {
    if (palette.count == 0 || palette.count > kMaxPaletteEntries) return nullptr;
    return std::make_unique<X11PaletteObject>(palette);
}

// Realising in the foreground: logical entry i lands in hardware entry i, except the
// static colours at both ends, which keep the colours of the colormap installed now, and
// PC_EXPLICIT entries, which name a hardware entry instead of a colour and change nothing.
void X11Display::realisePalette(const PaletteObject& object) {
    const auto* palette = dynamic_cast<const X11PaletteObject*>(&object);
    if (!palette) throw CommandFailure::resourceUnavailable();
    requireConnection();
    if (!paletteBased()) return;
    const int size = paletteSize();
    std::vector<XColor> cells = queryInstalledColours(connection_, 0, size);
    bool changes = false;
    const int count = std::min<int>(palette->record.count, size);
    for (int i = kStaticColours; i < std::min(count, size - kStaticColours); ++i) {
        const PaletteEntry& entry = palette->record.entries[i];
        if (entry.flags & PC_EXPLICIT) continue;
        cells[i].red = static_cast<unsigned short>(entry.red * 257);
        cells[i].green = static_cast<unsigned short>(entry.green * 257);
        cells[i].blue = static_cast<unsigned short>(entry.blue * 257);
        changes = true;
    }
    if (!changes) return;

    XErrorTrap trap(connection_);
    Colormap colormap = XCreateColormap(connection_, DefaultRootWindow(connection_),
                                        defaultVisual(connection_), AllocAll);
    XStoreColors(connection_, colormap, cells.data(), size);
    if (onRealise_) onRealise_(colormap);
    XInstallColormap(connection_, colormap);
    if (trap.failed()) {
        // The windows go back to what the screen shows before the colormap goes.
        if (onRealise_) onRealise_(installedColormap(connection_));
        XFreeColormap(connection_, colormap);
        throw CommandFailure::resourceUnavailable();
    }
    // The screen shows the new colormap now; the previous one can go.
    if (realised_ != None) XFreeColormap(connection_, realised_);
    realised_ = colormap;
    XFlush(connection_);
}

std::unique_ptr<PaletteEvents> X11Display::followPaletteEvents() {
    requireConnection();
    if (!paletteBased()) return nullptr;
    return recordPaletteEvents(connection_);
}

ColorRef X11Display::screenPixel(int x, int y) {
    requireConnection();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        XImage* image = nullptr;
        XColor cell{};
        Colormap colormap = installedColormap(connection_);
        XErrorTrap trap(connection_);
        image =
            XGetImage(connection_, DefaultRootWindow(connection_), x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) throw CommandFailure::resourceUnavailable();  // outside the screen
        cell.pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        if (colormap == None) break;
        XQueryColor(connection_, colormap, &cell);
        if (!trap.failed())
            return makeColorRef(eightBits(cell.red), eightBits(cell.green), eightBits(cell.blue));
    }
    throw CommandFailure::resourceUnavailable();
}

}  // namespace vexa
