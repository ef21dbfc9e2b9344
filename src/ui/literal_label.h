// Label text that FLTK draws exactly as written. FLTK reads "@" in a label as the start of
// a symbol name ("@->", "@circle") and draws what follows it as that symbol, so a file name
// such as "palette@2x.bmp" would lose its tail; "@@" is how a label writes one "@".
#pragma once

#include <string>
#include <string_view>

namespace vexa {

std::string literalLabel(std::string_view text);

// `text` with line breaks in the words that are wider than `maxWidth` pixels in the current
// FLTK font, so that a box wrapping at blanks shows all of it (see breakLongWords).
std::string fittedLines(std::string_view text, int maxWidth);

}  // namespace vexa
