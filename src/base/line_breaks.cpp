#include "base/line_breaks.h"

namespace vexa {
namespace {

bool continuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The length of the first character of `text` in bytes.
std::size_t firstCharLength(std::string_view text) {
    if (text.empty()) return 0;
    std::size_t n = 1;
    while (n < text.size() && continuationByte(text[n])) ++n;
    return n;
}

// Appends `word`, broken into pieces no wider than `maxWidth`.
void appendBroken(std::string& out, std::string_view word, int maxWidth,
                  const std::function<int(std::string_view)>& width) {
    while (firstCharLength(word) < word.size() && width(word) > maxWidth) {
        std::size_t fit = firstCharLength(word);
        for (;;) {
            const std::size_t next = fit + firstCharLength(word.substr(fit));
            if (next >= word.size() || width(word.substr(0, next)) > maxWidth) break;
            fit = next;
        }
        const std::size_t slash = word.substr(0, fit).rfind('/');
        const std::size_t piece = slash != std::string_view::npos && slash > 0 ? slash + 1 : fit;
        out.append(word.substr(0, piece));
        out += '\n';
        word.remove_prefix(piece);
    }
    out.append(word);
}

}  // namespace

std::string breakLongWords(std::string_view text, int maxWidth,
                           const std::function<int(std::string_view)>& width) {
    std::string out;
    out.reserve(text.size() + 8);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find_first_of(" \n", start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        appendBroken(out, text.substr(start, stop - start), maxWidth, width);
        if (end == std::string_view::npos) break;
        out += text[end];
        start = end + 1;
    }
    return out;
}

}  // namespace vexa
