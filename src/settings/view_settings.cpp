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
    hold();
}

void ViewSettings::load() {
    columns = getInt(viewSection, "Columns", columns);
    rows = getInt(viewSection, "Rows", rows);
    borders = getInt(viewSection, "Borders", borders);
    const GridShape shape = usableGridShape(columns, rows);
    columns = shape.columns;
    rows = shape.rows;
    hold();
    WindowSettings::load();
}

void ViewSettings::save() {
    // Two copies of the program share one store: each keeps what the other changed and it
    // did not. The counts go together, and a pair the grid cannot use is not taken.
    if (columns == heldColumns_ && rows == heldRows_) {
        const std::int32_t storedColumns = getInt(viewSection, "Columns", columns);
        const std::int32_t storedRows = getInt(viewSection, "Rows", rows);
        if (isUsableGridShape(storedColumns, storedRows)) {
            columns = storedColumns;
            rows = storedRows;
        }
    }
    if (borders == heldBorders_) borders = getInt(viewSection, "Borders", borders);
    putInt(viewSection, "Columns", columns);
    putInt(viewSection, "Rows", rows);
    putInt(viewSection, "Borders", borders);
    hold();
    WindowSettings::save();
}

void ViewSettings::hold() {
    heldColumns_ = columns;
    heldRows_ = rows;
    heldBorders_ = borders;
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
