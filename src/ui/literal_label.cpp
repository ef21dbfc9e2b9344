#include "ui/literal_label.h"

#include <FL/fl_draw.H>

#include <cmath>

#include "base/line_breaks.h"

namespace vexa {

std::string literalLabel(std::string_view text) {
    std::string label;
    label.reserve(text.size());
    for (const char c : text) {
        if (c == '@') label += '@';
        label += c;
    }
    return label;
}

std::string fittedLines(std::string_view text, int maxWidth) {
    return breakLongWords(text, maxWidth, [](std::string_view piece) {
        return static_cast<int>(std::ceil(fl_width(piece.data(), static_cast<int>(piece.size()))));
    });
}

}  // namespace vexa
