// Label text that FLTK draws exactly as written. FLTK reads "@" in a label as the start of
// a symbol name ("@->", "@circle") and draws what follows it as that symbol, so a file name
// such as "palette@2x.bmp" would lose its tail; "@@" is how a label writes one "@".
#pragma once

#include <string>
#include <string_view>

namespace vexa {

std::string literalLabel(std::string_view text);

}  // namespace vexa
