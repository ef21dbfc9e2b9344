// The dialog templates of the About, palette and Help windows, in dialog units.
#include "ui/dialog_template.h"

namespace vexa {
namespace {

const DialogControl kAboutControls[] = {
    {IDC_STATIC, ControlKind::icon, {15, 15, 21, 20}, nullptr},
    {IDC_ABOUT_NAME, ControlKind::text, {44, 15, 172, 8}, "?"},
    {IDC_ABOUT_RIGHTS, ControlKind::text, {44, 27, 172, 16}, "?"},
    {IDC_STATIC, ControlKind::sunkenFrame, {7, 7, 214, 38}, nullptr},
    {IDC_ABOUT_DESCRIPTION, ControlKind::text, {44, 48, 172, 16}, "?"},
    {IDC_ABOUT_NOTICE, ControlKind::text, {7, 70, 214, 77}, ""},
    {IDC_STATIC,
     ControlKind::text,
     {7, 145, 214, 16},
     "Visit the Varnel web site for news of Vexa and of our other small tools."},
    {IDOK, ControlKind::defaultButton, {97, 169, 32, 14}, "OK"},
};

const DialogControl kHelpControls[] = {
    {IDCANCEL, ControlKind::defaultButton, {137, 192, 50, 14}, "&Close"},
    {IDC_HELP_TEXT, ControlKind::textBox, {7, 7, 310, 177}, ""},
};

const DialogTemplate kTemplates[] = {
    {IDD_ABOUT_WINDOW, "About %s", 228, 190, "MS Sans Serif", 8, kAboutControls},
    // The palette window builds its menu and grid itself.
    {IDD_PALETTE_WINDOW, "%s", 186, 86, "MS Sans Serif", 8, {}},
    {IDD_HELP_WINDOW, "%s Help", 325, 213, "MS Sans Serif", 8, kHelpControls},
};

}  // namespace

std::span<const DialogTemplate> dialogTemplates() {
    return kTemplates;
}

}  // namespace vexa
