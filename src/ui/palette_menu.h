// The palette window's menu as one FLTK item table. Every item carries its command id as
// user data; choosing it calls the window's onCommand. No item is ever checked, greyed or
// updated.
#pragma once

#include <FL/Fl_Menu_Item.H>

#include <optional>
#include <utility>

#include "base/grid_shape.h"
#include "ui/resource_ids.h"

namespace vexa {

const Fl_Menu_Item* paletteMenu();

// The columns and rows a View > Set Columns command chooses; nothing for any other id.
constexpr std::optional<GridShape> setColumnsShape(int commandId) {
    constexpr std::pair<int, GridShape> kSetColumns[] = {
        {ID_VIEW_COLUMNS_8, {8, 32}},    {ID_VIEW_COLUMNS_16, {16, 16}},
        {ID_VIEW_COLUMNS_32, {32, 8}},   {ID_VIEW_COLUMNS_64, {64, 4}},
        {ID_VIEW_COLUMNS_128, {128, 2}}, {ID_VIEW_COLUMNS_256, {256, 1}},
    };
    for (const auto& [id, shape] : kSetColumns)
        if (id == commandId) return shape;
    return std::nullopt;
}

}  // namespace vexa
