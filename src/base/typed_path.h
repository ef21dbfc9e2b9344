// A file name as typed in a file dialog turned into the full path handed to the file calls,
// at any length: "~" and "~user" at the start and $NAME anywhere are expanded, a relative
// name is taken from `folder`, and "." and ".." levels are resolved by name. A relative name
// in a working folder that has no path (it was removed) is a FileError naming the name.
#pragma once

#include <string>

namespace vexa {

std::string typedNameToPath(const std::string& typed, const std::string& folder);

}  // namespace vexa
