#include "ui/dialog_template.h"

namespace vexa {
namespace {

// value * numerator / denominator rounded to the nearest integer, halves away from zero.
int scaleRounded(int value, int numerator, int denominator) {
    if (denominator <= 0) return 0;
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    const long long result =
        product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return static_cast<int>(result);
}

}  // namespace

const DialogTemplate* findDialogTemplate(int id) {
    for (const DialogTemplate& dialog : dialogTemplates()) {
        if (dialog.id == id) return &dialog;
    }
    return nullptr;
}

const DialogControl* findControl(const DialogTemplate& dialog, int id) {
    for (const DialogControl& control : dialog.controls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

int averageCharWidth(int widthOfAlphabet) {
    return scaleRounded(widthOfAlphabet, 1, 52);
}

int dialogXToPixels(int x, DialogBaseUnits units) {
    return scaleRounded(x, units.averageCharWidth, 4);
}

int dialogYToPixels(int y, DialogBaseUnits units) {
    return scaleRounded(y, units.charHeight, 8);
}

PixelRect dialogToPixels(DialogRect rect, DialogBaseUnits units) {
    return {dialogXToPixels(rect.x, units), dialogYToPixels(rect.y, units),
            dialogXToPixels(rect.width, units), dialogYToPixels(rect.height, units)};
}

}  // namespace vexa
