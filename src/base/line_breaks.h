// Line breaks for texts shown in boxes of limited width. The boxes wrap at blanks; a word
// without blanks that is wider than the box (a long path) is broken here, after a "/" where
// one fits, otherwise after the last character that fits.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vexa {

// `text` with a line break inserted into every word wider than `maxWidth`, so that each
// piece fits; `width` measures a piece of text. Characters of several bytes (UTF-8) are
// never split, and a piece holds at least one character however narrow the box.
std::string breakLongWords(std::string_view text, int maxWidth,
                           const std::function<int(std::string_view)>& width);

}  // namespace vexa
