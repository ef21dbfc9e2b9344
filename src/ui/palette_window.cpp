#include "ui/palette_window.h"

#include <FL/Fl.H>

#include <algorithm>
#include <chrono>
#include <utility>

#include "palette/edit_commands.h"
#include "palette/file_commands.h"
#include "palette/start_geometry.h"
#include "palette/window_placement.h"
#include "platform/clipboard.h"
#include "platform/window_colormap.h"
#include "settings/view_settings.h"
#include "ui/app_icon.h"
#include "ui/dialog_template.h"
#include "ui/dialog_window.h"
#include "ui/file_dialogs.h"
#include "ui/palette_menu.h"
#include "ui/resource_ids.h"

namespace vexa {
namespace {

constexpr int kMenuHeight = 25;
// The window's template size in pixels.
PixelRect templateSize() {
    return windowSize(*findDialogTemplate(IDD_PALETTE_WINDOW));
}

void closeBoxPressed(Fl_Widget* window, void*) {
    static_cast<PaletteWindow*>(window)->endDialog();
}

void postedAbout(void* window) {
    static_cast<PaletteWindow*>(window)->onCommand(ID_APP_ABOUT);
}

}  // namespace

PaletteWindow::PaletteWindow(ViewSettings& settings, const std::string& appName,
                             DisplayDevice& display, const StartOptions& start,
                             std::function<void(int)> passOn)
    : Fl_Window(templateSize().width, templateSize().height),
      settings_(settings),
      start_(start),
      passOn_(std::move(passOn)),
      model_(std::make_unique<PaletteModel>(display)),
      menuBar_(0, 0, w(), kMenuHeight),
      gridView_(
          0, kMenuHeight, w(), h() - kMenuHeight, *model_, display, appName,
          GridGeometry::fromPreferences(settings.columns, settings.rows, settings.borders != 0)),
      windowOps_(mainWindowOps(*this)) {
    end();
    copy_label(appName.c_str());
    setAppIcons(*this);
    menuBar_.menu(paletteMenu());
    resizable(gridView_);
    callback(closeBoxPressed);
}

PaletteWindow::~PaletteWindow() {
    Fl::remove_timeout(postedAbout, this);
}

const std::span<const CommandEntry<PaletteWindow>> PaletteWindow::commandTable() {
    static const CommandEntry<PaletteWindow> table[] = {
        {ID_FILE_SAVE_AS, &PaletteWindow::saveAs},
        {ID_FILE_OPEN, &PaletteWindow::openPaletteFile},
        {ID_EDIT_COPY, &PaletteWindow::copyPalette},
        {ID_EDIT_CLEAR, &PaletteWindow::clearPalette},
        {ID_VIEW_SHRINK_TO_FIT, &PaletteWindow::shrinkToFitCommand},
        {ID_VIEW_COLUMNS_8, ID_VIEW_COLUMNS_256, &PaletteWindow::setColumns},
        {ID_VIEW_TOGGLE_BORDER, &PaletteWindow::toggleBorder},
    };
    return table;
}

void PaletteWindow::onCommand(int id) {
    runReportingFailures([&] {
        if (!dispatchCommand(commandTable(), *this, id)) passOn_(id);
    });
}

void PaletteWindow::runModal() {
    applyMinimumSize();
    prepareWindowColormap();
    // A window placed by the program, even at (0, 0), which FLTK takes for "not placed".
    force_position(1);
    Rect placed;
    const bool frameKnown = windowOps_->showPlaced([&] {
        initDialog();
        placed = windowOps_->windowRect();
    });
    // A window manager that tells its frame only once the window is in it, or that took
    // the window in elsewhere: place the window again around the frame it got.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (shown() && !windowOps_->framed() && std::chrono::steady_clock::now() < deadline)
        Fl::wait(0.05);
    if (!frameKnown || windowOps_->windowRect() != placed) placeWindow();
    while (shown()) Fl::wait();
}

void PaletteWindow::initDialog() {
    placeWindow();
    if (start_.iconic) windowOps_->showMinimised();
    if (settings_.storedVersion != settings_.currentVersion)
        Fl::add_timeout(0.0, postedAbout, this);
}

void PaletteWindow::placeWindow() {
    const Size minimum = windowSizeForClient(minimumClient(), chrome());
    if (!settings_.restoreWindowPlacement(windowOps_.get(), minimum.width, minimum.height)) {
        const Size size = defaultWindowSize(windowOps_->desktopRect());
        windowOps_->setPosition({0, 0, size.width, size.height}, false,
                                SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOREDRAW);
        shrinkToFit();
        // The window did not move while it was initialised: centre it in the work area.
        centreInWorkArea();
    }
    // The window's own record: a window manager may not have carried out the placement yet.
    const FrameExtents e = windowOps_->frameExtents();
    StartOptions geometryOnly = start_;
    geometryOnly.iconic = false;
    applyStartOptions(*windowOps_,
                      {x() - e.left, y() - e.top, x() + w() + e.right, y() + h() + e.bottom},
                      {w(), h()}, geometryOnly);
}

Size PaletteWindow::minimumClient() const {
    const Size grid = gridView_.grid().minimumClient();
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
    windowOps_->removeMaximise();
    if (gridView_.w() >= minimum.width && gridView_.h() >= minimum.height) return;
    const Size size = windowSizeForClient(
        {std::max(gridView_.w(), minimum.width), std::max(gridView_.h(), minimum.height)},
        chrome());
    windowOps_->setPosition({0, 0, size.width, size.height}, false,
                            SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

WindowChrome PaletteWindow::chrome() const {
    const FrameExtents e = windowOps_->frameExtents();
    return {e.left, e.right, e.top + kMenuHeight, e.bottom};
}

void PaletteWindow::centreInWorkArea() {
    const Size size = windowSizeForClient({gridView_.w(), gridView_.h()}, chrome());
    const Point at = centredIn(windowOps_->workArea(), size);
    windowOps_->setPosition({at.x, at.y, at.x + size.width, at.y + size.height}, false,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool PaletteWindow::shrinkToFit() {
    const Size target = gridView_.grid().shrinkTarget(minimumClient());
    if (gridView_.w() == target.width && gridView_.h() == target.height) return false;
    const Size size = windowSizeForClient(target, chrome());
    windowOps_->setPosition({0, 0, size.width, size.height}, false,
                            SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    return true;
}

void PaletteWindow::saveAs() {
    if (const auto path = runSaveAsDialog()) savePalette(*path, *model_);
}

void PaletteWindow::openPaletteFile() {
    if (const auto path = runOpenDialog()) loadPalette(*path, *model_);
}

// A clipboard that cannot be taken is a SilentFailure.
void PaletteWindow::copyPalette() {
    offerPaletteOnClipboard(clipboardFormsNow(copiedPalette(*model_)));
}

void PaletteWindow::clearPalette() {
    vexa::clearPalette(*model_);
}

void PaletteWindow::shrinkToFitCommand() {
    shrinkToFit();
}

void PaletteWindow::setColumns(int id) {
    const std::optional<GridShape> shape = setColumnsShape(id);
    if (!shape) return;
    gridView_.setShape(*shape);
    // More rows than the client area has pixels: the window grows to keep every tile.
    applyMinimumSize();
}

void PaletteWindow::toggleBorder() {
    gridView_.toggleBorder();
}

void PaletteWindow::resize(int x, int y, int width, int height) {
    Fl_Window::resize(x, y, width, height);
    noteRect();
}

void PaletteWindow::noteRect() {
    if (!shown() || ended_ || windowOps_->isMinimised()) return;
    if (const std::optional<Rect> r = windowOps_->rectAsLeft()) lastKnownRect_ = *r;
}

int PaletteWindow::handle(int event) {
    // Mapped, or back from minimised, without a move: the rectangle may be seen only now.
    if (event == FL_SHOW) noteRect();
    if (event == FL_PUSH && Fl::event_button() != FL_LEFT_MOUSE && gridView_.holdsCapture()) {
        // Another button pressed during a readout, wherever the pointer is: the grid keeps
        // the capture and the drag goes on.
        gridView_.keepCapture();
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

// A place given on the command line is for this run only, as in other X programs: the
// remembered place stays for the next start.
void PaletteWindow::handBack() {
    settings_.captureWindowState(windowOps_.get(), !start_.geometry, lastKnownRect_);
    handBackView();
}

void PaletteWindow::handBackWithoutDisplay() {
    if (ended_) return;
    ended_ = true;
    if (!start_.geometry && !lastKnownRect_.empty()) settings_.updateBounds(lastKnownRect_);
    handBackView();
}

void PaletteWindow::handBackView() {
    const GridGeometry& grid = gridView_.grid();
    settings_.takeGridPreferences(grid.columns, grid.rows, grid.border);
}

}  // namespace vexa
