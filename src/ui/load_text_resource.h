// Loads the program's text resources ("HELP", "AboutDis", the licence terms) as 8-bit text.
#pragma once

#include <string>

namespace vexa {

// The name of the text resource with the licence terms shown in the About window.
inline constexpr const char* kLicenceResourceName = "AboutLic";

// Empties `out`, then copies into it all bytes of the resource `name` of type `type`
// (both compared without regard to case). Returns false when there is no such resource
// or the copy cannot be made; `out` is then empty.
bool loadTextResource(const char* name, const char* type, std::string& out);

}  // namespace vexa
