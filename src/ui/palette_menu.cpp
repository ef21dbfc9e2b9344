#include "ui/palette_menu.h"

#include <FL/Fl_Widget.H>

#include "ui/palette_window.h"
#include "ui/resource_ids.h"

namespace vexa {
namespace {

void menuCommand(Fl_Widget* menuBar, void* id) {
    auto* window = static_cast<PaletteWindow*>(menuBar->window());
    window->onCommand(*static_cast<const int*>(id));
}

// An item's data points at its command id.
void* cmd(const int& id) {
    return const_cast<int*>(&id);
}

const Fl_Menu_Item kMenu[] = {
    {"&File", 0, nullptr, nullptr, FL_SUBMENU, 0, 0, 0, 0},
    {"&Open...", 0, menuCommand, cmd(ID_FILE_OPEN), 0, 0, 0, 0, 0},
    {"&Save As...", 0, menuCommand, cmd(ID_FILE_SAVE_AS), FL_MENU_DIVIDER, 0, 0, 0, 0},
    {"E&xit", 0, menuCommand, cmd(ID_APP_EXIT), 0, 0, 0, 0, 0},
    {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
    {"&Edit", 0, nullptr, nullptr, FL_SUBMENU, 0, 0, 0, 0},
    {"&Copy", 0, menuCommand, cmd(ID_EDIT_COPY), 0, 0, 0, 0, 0},
    {"Clea&r", 0, menuCommand, cmd(ID_EDIT_CLEAR), 0, 0, 0, 0, 0},
    {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
    {"&View", 0, nullptr, nullptr, FL_SUBMENU, 0, 0, 0, 0},
    {"Set &Columns", 0, nullptr, nullptr, FL_SUBMENU | FL_MENU_DIVIDER, 0, 0, 0, 0},
    {"&8", 0, menuCommand, cmd(ID_VIEW_COLUMNS_8), 0, 0, 0, 0, 0},
    {"&16", 0, menuCommand, cmd(ID_VIEW_COLUMNS_16), 0, 0, 0, 0, 0},
    {"&32", 0, menuCommand, cmd(ID_VIEW_COLUMNS_32), 0, 0, 0, 0, 0},
    {"&64", 0, menuCommand, cmd(ID_VIEW_COLUMNS_64), 0, 0, 0, 0, 0},
    {"1&28", 0, menuCommand, cmd(ID_VIEW_COLUMNS_128), 0, 0, 0, 0, 0},
    {"2&56", 0, menuCommand, cmd(ID_VIEW_COLUMNS_256), 0, 0, 0, 0, 0},
    {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
    {"Toggle &Border", 0, menuCommand, cmd(ID_VIEW_TOGGLE_BORDER), FL_MENU_DIVIDER, 0, 0, 0, 0},
    {"&Shrink to Fit", 0, menuCommand, cmd(ID_VIEW_SHRINK_TO_FIT), 0, 0, 0, 0, 0},
    {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
    {"&Help", 0, nullptr, nullptr, FL_SUBMENU, 0, 0, 0, 0},
    {"&Contents...", 0, menuCommand, cmd(ID_HELP), FL_MENU_DIVIDER, 0, 0, 0, 0},
    {"&About Vexa...", 0, menuCommand, cmd(ID_APP_ABOUT), 0, 0, 0, 0, 0},
    {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
    {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
};

}  // namespace

const Fl_Menu_Item* paletteMenu() {
    return kMenu;
}

}  // namespace vexa
