// The display services on an X screen. A screen whose default visual is PseudoColor or
// GrayScale has one hardware colormap that every client shares: that colormap, the one
// installed at the moment of each call, is the system palette. Nothing is cached.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <memory>

#include "platform/display.h"

namespace vexa {

class X11Display : public DisplayDevice {
  public:
    // Works on an open connection that outlives this object (for example FLTK's fl_display).
    // With no connection (the display could not be opened) openInfo gives nullptr and every
    // other operation raises ResourceUnavailable.
    explicit X11Display(Display* connection);
    // Frees the colormap of the last realisation; the screen then shows the default colormap.
    ~X11Display() override;
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    std::unique_ptr<DisplayInfo> openInfo() override;
    int readSystemPaletteEntries(int start, int count, PaletteEntry* out) override;
    std::unique_ptr<PaletteObject> createPalette(const LogicalPalette& palette) override;
    void realisePalette(const PaletteObject& palette) override;
    ColorRef screenPixel(int x, int y) override;
    // In at most two exchanges with the server (see screen_sample.cpp).
    ScreenSample sampleScreen(int x, int y, bool withPalette) override;
    // Through the RECORD extension (see palette_recorder.h).
    std::unique_ptr<PaletteEvents> followPaletteEvents() override;

    // Called with each realised colormap after its colours are stored and before it is
    // installed. A window manager with colormap focus installs the colormap of the focused
    // window and undoes any other installation at once; made the colormap of the program's
    // windows here, the realisation stays while the program has that focus.
    void onRealise(std::function<void(Colormap)> hook) { onRealise_ = std::move(hook); }

    // The colormap the last realisation installed and keeps alive, or None.
    Colormap realisedColormap() const { return realised_; }

  private:
    void requireConnection() const;
    bool paletteBased() const;
    int paletteSize() const;

    Display* connection_;
    Colormap realised_ = None;
    // The colormap the last sample found installed: only a guess for the next sample's
    // first exchange, which the same exchange confirms or refutes.
    Colormap lastInstalled_ = None;
    std::function<void(Colormap)> onRealise_;
};

// True when the default visual shows its pixels through a colormap that clients can change
// (PseudoColor or GrayScale): the one place that decides what counts as a palette screen.
bool paletteScreen(Display* connection);

// The colormap currently installed on the default screen (the first of the installed
// list), or None when the server lists none.
Colormap installedColormap(Display* connection);

}  // namespace vexa
