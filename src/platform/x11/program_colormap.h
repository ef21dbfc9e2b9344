// Keeps every window of the program on the colormap installed on the screen, and the
// program's own drawing readable under it.
//
// A window manager with colormap focus installs the colormap attribute of the window that
// has that focus and undoes any other installation. Vexa's windows therefore carry the
// installed colormap as their attribute: when the user moves into Vexa, the window manager
// installs what is installed already, so the colours another program put on the screen
// stay for the grid to show and for Save As and Copy to capture. A realisation (Open,
// Clear) goes the same way round: its colormap becomes the attribute of every window of
// the program before it is installed, so the window manager keeps it while Vexa has
// colormap focus. The desktop's own colormap is one exception to following: a window
// manager installs it whenever the pointer rests on the desktop, and what Vexa or another
// program installed must come back when the pointer returns. The other is whatever the
// window manager installs while Vexa has colormap focus, which is its idea of Vexa's own
// colormap; the windows follow again once colormap focus leaves them.
#pragma once

#include <X11/Xlib.h>

#include <set>

namespace vexa {

class X11Display;

class ProgramColormap {
  public:
    // Follows for every FLTK top-level window shown now and every one shown later, and
    // takes part in the realisations of `display`.
    explicit ProgramColormap(X11Display& display);
    ~ProgramColormap();
    ProgramColormap(const ProgramColormap&) = delete;
    ProgramColormap& operator=(const ProgramColormap&) = delete;

    // The program's colours are matched once the installed colormap has stayed for this
    // long: moving the pointer between windows, a window manager installs the root window's
    // colormap for an instant on the way.
    static constexpr double kSettleSeconds = 0.2;

  private:
    static int dispatch(void* event, void* data);
    static void settled(void* data);
    void watch(Window window);
    bool isColormapChange(const XEvent& event) const;
    // Every shown window of the program and every new one takes `colormap`.
    void adopt(Colormap colormap);
    // Makes the windows follow the installed colormap; returns it (None when unknown).
    Colormap follow();
    // True while the window manager installs the colormap of one of the program's windows.
    bool hasColormapFocus() const;

    X11Display& display_;
    std::set<Window> watched_;
};

}  // namespace vexa
