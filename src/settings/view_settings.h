// The settings object of the program: the palette grid's columns, rows and borders under
// "View", on top of the window settings. Owned by the application object for the whole run.
#pragma once

#include <cstdint>

#include "settings/window_settings.h"

namespace vexa {

class ViewSettings : public WindowSettings {
  public:
    explicit ViewSettings(Registry& registry);

    // Window defaults, then one row of all 256 tiles without borders.
    void reset() override;
    // Stored grid values, then the window values. A stored pair the grid cannot use
    // (a count of 0 or less, or not 256 tiles in all) becomes 256 by 1.
    void load() override;
    // Writes the grid values, then the window values; as for those, a value this run left
    // as it was loaded is first read again, keeping another copy's change to it.
    void save() override;

    // The palette window's grid preferences at its close. A pair of counts or a border
    // flag that differs from what is held replaces it and marks the settings modified; the
    // border is compared with the raw stored value, so a stored 2 is rewritten as 1.
    void takeGridPreferences(std::int32_t newColumns, std::int32_t newRows, bool border);

    std::int32_t columns = 256;
    std::int32_t rows = 1;
    std::int32_t borders = 0;

  private:
    void hold();

    // The grid values as last reset, loaded or saved.
    std::int32_t heldColumns_ = 256, heldRows_ = 1, heldBorders_ = 0;
};

}  // namespace vexa
