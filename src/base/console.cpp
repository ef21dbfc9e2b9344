#include "base/console.h"

#include <string>

namespace vexa {

bool sayTo(std::FILE* stream, std::string_view message) {
    if (!message.empty() && message.back() == '\n') message.remove_suffix(1);
    std::string text;
    for (;;) {
        const std::size_t end = message.find('\n');
        text += "vexa: ";
        text += message.substr(0, end);
        text += '\n';
        if (end == std::string_view::npos) break;
        message.remove_prefix(end + 1);
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    return std::fflush(stream) == 0 && written;
}

bool say(std::string_view message) {
    return sayTo(stderr, message);
}

bool sayInPlace(std::FILE* stream, std::string_view message, bool last) {
    std::string text = "\rvexa: ";
    text += message.substr(0, message.find('\n'));
    text += last ? "\x1b[K\n" : "\x1b[K";
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    return std::fflush(stream) == 0 && written;
}

}  // namespace vexa
