// Dialog templates: windows described as data in dialog units, and their conversion to
// pixels from the dialog font, so that a window keeps its proportions with any font.
#pragma once

#include <span>

#include "ui/resource_ids.h"

namespace vexa {

enum class ControlKind {
    icon,           // the program's icon, at its own size
    text,           // static text, ampersands shown as they are, wrapped at words
    sunkenFrame,    // an empty sunken frame drawn around other controls
    button,         // push button
    defaultButton,  // push button that Enter presses
    textBox,        // read-only, multi-line, word-wrapped, with a vertical scroll bar
};

struct DialogRect {
    int x, y, width, height;
};

struct DialogControl {
    int id;
    ControlKind kind;
    DialogRect rect;
    const char* text;
};

struct DialogTemplate {
    int id;
    const char* caption;  // a format with one %s, the application name
    int width, height;    // client area
    const char* fontFace;
    int fontPoints;
    std::span<const DialogControl> controls;  // in tab and z order
};

// Every template (resources/dialog_templates.cpp).
std::span<const DialogTemplate> dialogTemplates();
const DialogTemplate* findDialogTemplate(int id);
// The first control with this id; several statics share IDC_STATIC.
const DialogControl* findControl(const DialogTemplate& dialog, int id);

// The dialog font's average character size in pixels: a dialog unit is a quarter of the
// width and an eighth of the height.
struct DialogBaseUnits {
    int averageCharWidth;
    int charHeight;
};

struct PixelRect {
    int x, y, width, height;
};

// The average character width from the width of "A".."Z" followed by "a".."z" in one string,
// rounded to the nearest pixel.
int averageCharWidth(int widthOfAlphabet);

int dialogXToPixels(int x, DialogBaseUnits units);
int dialogYToPixels(int y, DialogBaseUnits units);
// Each of the four values converted on its own, rounded to the nearest pixel.
PixelRect dialogToPixels(DialogRect rect, DialogBaseUnits units);

}  // namespace vexa
