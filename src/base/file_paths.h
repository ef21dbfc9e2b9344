// Path helpers shared by the palette files and the registry file store.
#pragma once

#include <string>

namespace vexa {

// The folder part of `path`: "." for a bare name, "/" for a file in the root.
std::string folderOf(const std::string& path);

// The file that replacing `path` must replace: the target of a symbolic link, so that the
// link stays in place; `path` itself otherwise.
std::string linkTarget(const std::string& path);

}  // namespace vexa
