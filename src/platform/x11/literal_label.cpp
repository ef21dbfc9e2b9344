#include "platform/x11/literal_label.h"

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

}  // namespace vexa
