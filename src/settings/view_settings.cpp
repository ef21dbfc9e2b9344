#include "settings/view_settings.h"

namespace vexa {

namespace {

const std::string viewSection = "View";

// The grid divides by both counts and lays out all 256 palette entries.
bool usableGrid(std::int32_t columns, std::int32_t rows) {
    return columns > 0 && rows > 0 &&
           static_cast<std::int64_t>(columns) * static_cast<std::int64_t>(rows) == 256;
}

}  // namespace

ViewSettings::ViewSettings(Registry& registry) : WindowSettings(registry) {}

void ViewSettings::reset() {
    WindowSettings::reset();
    columns = 256;
    rows = 1;
    borders = 0;
}

void ViewSettings::load() {
    columns = getInt(viewSection, "Columns", columns);
    rows = getInt(viewSection, "Rows", rows);
    borders = getInt(viewSection, "Borders", borders);
    if (!usableGrid(columns, rows)) {
        columns = 256;
        rows = 1;
    }
    WindowSettings::load();
}

void ViewSettings::save() {
    putInt(viewSection, "Columns", columns);
    putInt(viewSection, "Rows", rows);
    putInt(viewSection, "Borders", borders);
    WindowSettings::save();
}

void ViewSettings::takeGridPreferences(std::int32_t newColumns, std::int32_t newRows, bool border) {
    if (newColumns != columns || newRows != rows) {
        columns = newColumns;
        rows = newRows;
        modified = true;
    }
    const std::int32_t flag = border ? 1 : 0;
    if (flag != borders) {
        borders = flag;
        modified = true;
    }
}

}  // namespace vexa
