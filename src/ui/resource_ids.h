// The identifiers of the resources: the menu's commands, the dialog templates, their
// controls and the icon. Framework commands keep their framework numbers; the program's own
// commands are numbered from 2001.
#pragma once

namespace vexa {

inline constexpr int IDD_ABOUT_WINDOW = 1001;
inline constexpr int IDD_PALETTE_WINDOW = 1003;
inline constexpr int IDD_HELP_WINDOW = 1004;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_STATIC = 65535;
inline constexpr int IDI_MAIN = 1000;
inline constexpr int IDC_ABOUT_NAME = 100;
inline constexpr int IDC_ABOUT_RIGHTS = 101;
inline constexpr int IDC_ABOUT_DESCRIPTION = 102;
inline constexpr int IDC_ABOUT_NOTICE = 103;
inline constexpr int IDC_HELP_TEXT = 100;

inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_EDIT_CLEAR = 57632;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_HELP = 57670;

inline constexpr int ID_VIEW_SHRINK_TO_FIT = 2001;
inline constexpr int ID_VIEW_COLUMNS_8 = 2002;
inline constexpr int ID_VIEW_COLUMNS_16 = 2003;
inline constexpr int ID_VIEW_COLUMNS_32 = 2004;
inline constexpr int ID_VIEW_COLUMNS_64 = 2005;
inline constexpr int ID_VIEW_COLUMNS_128 = 2006;
inline constexpr int ID_VIEW_COLUMNS_256 = 2007;
inline constexpr int ID_VIEW_TOGGLE_BORDER = 2008;

}  // namespace vexa
