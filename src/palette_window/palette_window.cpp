#include "palette_window/palette_window.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <chrono>

#include "app/app_icon.h"
#include "app/dialog_template.h"
#include "app/dialog_window.h"
#include "app/palette_app.h"
#include "palette_io/palette_commands.h"
#include "palette_window/command_ids.h"
#include "palette_window/palette_menu.h"
#include "palette_window/start_geometry.h"
#include "palette_window/window_placement.h"
#include "platform/message_box.h"
#include "platform/window_colormap.h"
#include "platform/x11/map_hold.h"

namespace vexa {
namespace {

constexpr int kMenuHeight = 25;
// Dialog template 1003: 186 x 86 dialog units.
constexpr int kTemplateWidthDlu = 186;
constexpr int kTemplateHeightDlu = 86;

// Template 1003's size in pixels, from the dialog font's average character size.
Size templateSize() {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    const DialogBaseUnits units{
        averageCharWidth(static_cast<int>(
            fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") + 0.5)),
        fl_height()};
    return {dialogXToPixels(kTemplateWidthDlu, units), dialogYToPixels(kTemplateHeightDlu, units)};
}

// Taken into a window manager's frame (also when the manager minimised it at once), or
// mapped by a manager that puts no frame around it.
bool framed(Fl_Window& window) {
    if (!window.shown()) return false;
    XWindowAttributes attributes{};
    XGetWindowAttributes(fl_display, fl_xid(&window), &attributes);
    if (attributes.map_state == IsViewable) return true;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(fl_display, fl_xid(&window), &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    return parent != root;
}

void closeBoxPressed(Fl_Widget* window, void*) {
    static_cast<PaletteWindow*>(window)->endDialog();
}

void postedAbout(void* window) {
    static_cast<PaletteWindow*>(window)->onCommand(ID_APP_ABOUT);
}

}  // namespace

PaletteWindow::PaletteWindow(PaletteApp& app, Display& display)
    : Fl_Window(templateSize().width, templateSize().height),
      app_(app),
      display_(display),
      menuBar_(0, 0, w(), kMenuHeight),
      gridView_(*this, 0, kMenuHeight, w(), h() - kMenuHeight),
      windowOps_(*this) {
    end();
    copy_label(app_.appName().c_str());
    setAppIcons(*this);
    menuBar_.menu(paletteMenu());
    resizable(gridView_);
    callback(closeBoxPressed);
    const ViewSettings& settings = app_.settings();
    grid_ = GridGeometry::fromPreferences(settings.columns, settings.rows, settings.borders != 0);
    model_ = std::make_unique<PaletteModel>(display_);
}

PaletteWindow::~PaletteWindow() {
    Fl::remove_timeout(postedAbout, this);
}

const std::span<const CommandEntry<PaletteWindow>> PaletteWindow::commandTable() {
    static const CommandEntry<PaletteWindow> table[] = {
        {ID_FILE_SAVE_AS, &PaletteWindow::saveAs},
        {ID_FILE_OPEN, &PaletteWindow::openBitmap},
        {ID_EDIT_COPY, &PaletteWindow::copyPalette},
        {ID_EDIT_CLEAR, &PaletteWindow::clearPalette},
        {ID_VIEW_SHRINK_TO_FIT, &PaletteWindow::shrinkToFitCommand},
        {ID_VIEW_COLUMNS_8, ID_VIEW_COLUMNS_256, &PaletteWindow::setColumns},
        {ID_VIEW_TOGGLE_BORDER, &PaletteWindow::toggleBorder},
    };
    return table;
}

void PaletteWindow::onCommand(int id) {
    runReportingFailures(
        [&] {
            if (!dispatchCommand(commandTable(), *this, id)) app_.onCommand(id);
        },
        [](const CommandFailure& failure) { showMessageBox(failure.message(), failure.icon()); });
}

void PaletteWindow::runModal() {
    applyMinimumSize();
    grid_.layoutGrid(gridView_.w(), gridView_.h());
    prepareWindowColormap();
    // A window placed by the program, even at (0, 0), which FLTK takes for "not placed".
    force_position(1);
    bool frameKnown = true;
    {
        MapHold hold;
        show();
        windowOps_.removeMaximise();
        frameKnown = windowOps_.requestFrameExtents();
        initDialog();
    }
    if (!frameKnown) {
        // This window manager tells its frame only once the window is in it: place the
        // window again around the frame it got.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (shown() && !framed(*this) && std::chrono::steady_clock::now() < deadline)
            Fl::wait(0.05);
        placeWindow();
    }
    while (shown()) Fl::wait();
}

void PaletteWindow::initDialog() {
    placeWindow();
    if (app_.startOptions().iconic) windowOps_.showMinimised();
    ViewSettings& settings = app_.settings();
    if (settings.storedVersion != settings.currentVersion) Fl::add_timeout(0.0, postedAbout, this);
}

void PaletteWindow::placeWindow() {
    const Size minimum = windowSizeForClient(minimumClient(), chrome());
    if (!app_.settings().restoreWindowPlacement(&windowOps_, 0, false, minimum.width,
                                                minimum.height)) {
        const Size size = defaultWindowSize(windowOps_.desktopRect());
        windowOps_.setPosition({0, 0, size.width, size.height}, false,
                               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOREDRAW);
        shrinkToFit();
        // The window did not move while it was initialised: centre it in the work area.
        centreInWorkArea();
    }
    // The window's own record: a window manager may not have carried out the placement yet.
    const FrameExtents e = windowOps_.frameExtents();
    StartOptions geometryOnly = app_.startOptions();
    geometryOnly.iconic = false;
    applyStartOptions(windowOps_,
                      {x() - e.left, y() - e.top, x() + w() + e.right, y() + h() + e.bottom},
                      {w(), h()}, geometryOnly);
}

Size PaletteWindow::minimumClient() const {
    const Size grid = grid_.minimumClient();
    return {std::max(grid.width, menuBarWidth()), grid.height};
}

// Fl_Menu_Bar lays its items out from 6 pixels in, each 16 pixels wider than its label.
int PaletteWindow::menuBarWidth() const {
    int width = 6;
    for (const Fl_Menu_Item* item = menuBar_.menu(); item && item->label(); item = item->next())
        width += item->measure(nullptr, &menuBar_) + 16;
    return width;
}

void PaletteWindow::applyMinimumSize() {
    const Size minimum = minimumClient();
    size_range(minimum.width, kMenuHeight + minimum.height);
    if (!shown()) return;
    // FLTK rewrites the window manager hints with the size range.
    windowOps_.removeMaximise();
    if (gridView_.w() >= minimum.width && gridView_.h() >= minimum.height) return;
    const Size size = windowSizeForClient(
        {std::max(gridView_.w(), minimum.width), std::max(gridView_.h(), minimum.height)},
        chrome());
    windowOps_.setPosition({0, 0, size.width, size.height}, false,
                           SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

WindowChrome PaletteWindow::chrome() const {
    const FrameExtents e = windowOps_.frameExtents();
    return {e.left, e.right, e.top + kMenuHeight, e.bottom};
}

void PaletteWindow::centreInWorkArea() {
    const Size size = windowSizeForClient({gridView_.w(), gridView_.h()}, chrome());
    const Point at = centredIn(windowOps_.workArea(), size);
    windowOps_.setPosition({at.x, at.y, at.x + size.width, at.y + size.height}, false,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool PaletteWindow::shrinkToFit() {
    const Size target = grid_.shrinkTarget(minimumClient());
    if (gridView_.w() == target.width && gridView_.h() == target.height) return false;
    const Size size = windowSizeForClient(target, chrome());
    windowOps_.setPosition({0, 0, size.width, size.height}, false,
                           SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    return true;
}

void PaletteWindow::saveAs() {
    saveAsCommand(*model_);
}
void PaletteWindow::openBitmap() {
    openCommand(*model_);
}
void PaletteWindow::copyPalette() {
    copyCommand(*model_);
}
void PaletteWindow::clearPalette() {
    clearCommand(*model_);
}

void PaletteWindow::shrinkToFitCommand() {
    shrinkToFit();
}

void PaletteWindow::setColumns(int id) {
    const std::optional<GridShape> shape = setColumnsShape(id);
    if (!shape) return;
    grid_.columns = shape->columns;
    grid_.rows = shape->rows;
    // More rows than the client area has pixels: the window grows to keep every tile.
    applyMinimumSize();
    grid_.layoutGrid(gridView_.w(), gridView_.h());
    gridView_.redraw();
}

void PaletteWindow::toggleBorder() {
    grid_.border = !grid_.border;
    gridView_.redraw();
}

void PaletteWindow::resize(int x, int y, int width, int height) {
    const bool sized = width != w() || height != h();
    Fl_Window::resize(x, y, width, height);
    if (!sized) return;
    grid_.layoutGrid(gridView_.w(), gridView_.h());
    gridView_.redraw();
}

int PaletteWindow::handle(int event) {
    if (event == FL_PUSH && Fl::event_button() != FL_LEFT_MOUSE && holdsCapture_) {
        // Another button pressed during a readout, wherever the pointer is: the grid keeps
        // the capture and the drag goes on.
        Fl::pushed(&gridView_);
        return 1;
    }
    if (event == FL_KEYBOARD || event == FL_SHORTCUT) {
        const int key = Fl::event_key();
        const bool plain = !(Fl::event_state() & (FL_ALT | FL_CTRL | FL_META));
        if (plain && (key == FL_Enter || key == FL_KP_Enter || key == FL_Escape)) {
            endDialog();
            return 1;
        }
        if (isHelpKeyEvent()) {
            onCommand(ID_HELP);
            return 1;
        }
    }
    return Fl_Window::handle(event);
}

void PaletteWindow::endDialog() {
    if (ended_) return;
    ended_ = true;
    // The state is taken while the window still stands where the user left it.
    handBack();
    hide();
}

void PaletteWindow::handBack() {
    ViewSettings& settings = app_.settings();
    settings.captureWindowState(&windowOps_);
    settings.takeGridPreferences(grid_.columns, grid_.rows, grid_.border);
}

}  // namespace vexa
