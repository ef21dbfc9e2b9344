#include "settings/view_settings.h"

#include "base/grid_shape.h"

namespace vexa {

namespace {

const std::string viewSection = "View";

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
    const GridShape shape = usableGridShape(columns, rows);
    columns = shape.columns;
    rows = shape.rows;
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
