// The program's main window: the live palette grid under a menu bar. It owns the palette
// model, the menu and the command table (commands it does not list go on to the
// application), places itself on the screen, and hands its placement and grid preferences
// back to the settings when it closes. The grid and its pixel readout are PaletteGridView.
#pragma once

#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Window.H>

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "palette/palette_model.h"
#include "palette/start_geometry.h"
#include "palette/window_placement.h"
#include "platform/main_window_ops.h"
#include "platform/top_level_window.h"
#include "ui/command_table.h"
#include "ui/palette_grid_view.h"

namespace vexa {

class ViewSettings;

class PaletteWindow : public Fl_Window, public TopLevelWindow {
  public:
    // Copies the grid preferences from `settings` and builds the palette model; throws
    // PaletteModelError before any X window exists. `appName` is the resting title, `start`
    // what the command line asks of the placement; commands the window does not handle go
    // to `passOn`.
    PaletteWindow(ViewSettings& settings, const std::string& appName, DisplayDevice& display,
                  const StartOptions& start, std::function<void(int)> passOn);
    ~PaletteWindow() override;

    // Shows the window, places it, and runs until Enter, Escape, the close box or Exit.
    void runModal();
    // Ends the run: hands state back to the settings and hides the window.
    void endDialog();
    // The hand-back of endDialog when the display is gone: the placement last seen and the
    // view, with no call to the display.
    void handBackWithoutDisplay();

    // Routes a menu command: the window's own table first, then the application's.
    // A failure raised by the handler is shown here and the window keeps running.
    void onCommand(int id);

    int handle(int event) override;
    void resize(int x, int y, int w, int h) override;

  private:
    static const std::span<const CommandEntry<PaletteWindow>> commandTable();

    // File and Edit commands.
    void saveAs();
    void openPaletteFile();
    void copyPalette();
    void clearPalette();
    // View commands.
    void shrinkToFitCommand();
    void setColumns(int id);
    void toggleBorder();
    bool shrinkToFit();

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
    void handBackView();
    // Notes the frame rectangle while the window stands as the user left it.
    void noteRect();

    ViewSettings& settings_;
    StartOptions start_;
    std::function<void(int)> passOn_;
    std::unique_ptr<PaletteModel> model_;
    Fl_Menu_Bar menuBar_;
    PaletteGridView gridView_;
    std::unique_ptr<MainWindowOps> windowOps_;
    bool ended_ = false;
    // The frame rectangle last noted: what is handed back when, at the end, the window no
    // longer stands as the user left it or the display is gone.
    Rect lastKnownRect_{};
};

}  // namespace vexa
