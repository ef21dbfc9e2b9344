// The program's main window: the live palette grid under a menu bar. It owns the palette
// model and the grid geometry, routes menu commands through its command table (commands it
// does not list go on to the application), paints the grid with raw pixel values so every
// tile shows the installed colour of its index, reads screen pixels into its title while
// the user drags, and hands its placement and grid preferences back when it closes.
#pragma once

#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Window.H>

#include <memory>
#include <span>
#include <string>

#include "palette_window/command_table.h"
#include "palette_window/grid_geometry.h"
#include "palette_window/palette_model.h"
#include "palette_window/window_placement.h"
#include "platform/x11/x11_window_ops.h"

namespace vexa {

class PaletteApp;
class PaletteWindow;

// The client area: the grid is drawn here and presses here start the pixel readout.
class PaletteGridView : public Fl_Widget {
  public:
    PaletteGridView(PaletteWindow& owner, int x, int y, int w, int h);
    void draw() override;
    int handle(int event) override;

  private:
    PaletteWindow& owner_;
};

class PaletteWindow : public Fl_Window {
  public:
    // Copies the grid preferences from the application's settings and builds the palette
    // model; throws PaletteModelError before any X window exists.
    PaletteWindow(PaletteApp& app, Display& display);
    ~PaletteWindow() override;

    // Shows the window, places it, and runs until Enter, Escape, the close box or Exit.
    void runModal();
    // Ends the run: hands state back to the settings and hides the window.
    void endDialog();

    // Routes a menu command: the window's own table first, then the application's.
    // A failure raised by the handler is shown here and the window keeps running.
    void onCommand(int id);

    // File and Edit commands.
    void saveAs();
    void openBitmap();
    void copyPalette();
    void clearPalette();

    // View commands.
    void shrinkToFitCommand();
    void setColumns(int id);
    void toggleBorder();
    bool shrinkToFit();

    int handle(int event) override;
    void resize(int x, int y, int w, int h) override;

  private:
    friend class PaletteGridView;

    static const std::span<const CommandEntry<PaletteWindow>> commandTable();

    void initDialog();
    // Restores the stored placement, or sizes, fits and centres the window; then the
    // command line's geometry.
    void placeWindow();
    // The client area that keeps every tile at least 1 pixel and the menu bar whole.
    Size minimumClient() const;
    int menuBarWidth() const;
    // Makes minimumClient() the window's smallest size, growing the window when needed.
    void applyMinimumSize();
    // The frame around the window and the menu bar above the client area.
    WindowChrome chrome() const;
    void centreInWorkArea();
    void handBack();

    void paintGrid();
    void startInspection();
    void inspectPointer();
    void endInspection();
    void setTitleIfChanged(const std::string& text);

    PaletteApp& app_;
    Display& display_;
    Fl_Menu_Bar menuBar_;
    PaletteGridView gridView_;
    X11WindowOps windowOps_;
    GridGeometry grid_;
    std::unique_ptr<PaletteModel> model_;
    // The mouse capture of the pixel readout: taken by a left press on the grid and given
    // up by the left release. Pressing or releasing another button meanwhile neither takes
    // nor ends it; FLTK would otherwise hand its pushed widget to that button.
    bool holdsCapture_ = false;
    bool ended_ = false;
};

}  // namespace vexa
