#include "ui/palette_menu.h"

#include <gtest/gtest.h>

#include "ui/resource_ids.h"

namespace vexa {
namespace {

TEST(PaletteMenuTest, SetColumnsCommandsChooseAllTilesInTheirColumns) {
    const GridShape shapes[] = {{8, 32}, {16, 16}, {32, 8}, {64, 4}, {128, 2}, {256, 1}};
    for (int id = ID_VIEW_COLUMNS_8; id <= ID_VIEW_COLUMNS_256; ++id)
        EXPECT_EQ(setColumnsShape(id), shapes[id - ID_VIEW_COLUMNS_8]) << id;
    EXPECT_FALSE(setColumnsShape(ID_VIEW_SHRINK_TO_FIT));
    EXPECT_FALSE(setColumnsShape(ID_VIEW_TOGGLE_BORDER));
}

}  // namespace
}  // namespace vexa
