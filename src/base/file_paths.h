// Path helpers shared by the palette files, the file dialogs and the registry file store.
#pragma once

#include <string>

namespace vexa {

// The folder part of `path`: "." for a bare name, "/" for a file in the root.
std::string folderOf(const std::string& path);

// The final name component of `path`: all of it for a bare name, "" after a final "/".
std::string fileName(const std::string& path);

// The characters after the last "." of the final name component, or "" when it has none.
std::string fileExtension(const std::string& path);

// True when the extension of `path` is `extension`, ignoring letter case.
bool hasExtension(const std::string& path, const std::string& extension);

// The file that replacing `path` must replace: the target of a symbolic link, so that the
// link stays in place; `path` itself otherwise.
std::string linkTarget(const std::string& path);

}  // namespace vexa
