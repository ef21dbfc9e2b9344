// The command identifiers of the menu. Framework commands keep their framework numbers;
// the program's own commands are numbered from 2001 (the Set Columns ids are in
// grid_geometry.h).
#pragma once

namespace vexa {

inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_EDIT_CLEAR = 57632;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_HELP = 57670;

inline constexpr int ID_VIEW_SHRINK_TO_FIT = 2001;
inline constexpr int ID_VIEW_TOGGLE_BORDER = 2008;

}  // namespace vexa
