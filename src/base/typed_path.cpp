#include "base/typed_path.h"

#include <pwd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/command_failure.h"

namespace vexa {

namespace {

bool nameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// "~" or "~user" up to the first slash, and $NAME (unset names left as typed).
std::string expanded(const std::string& typed) {
    std::string out;
    std::size_t at = 0;
    if (!typed.empty() && typed[0] == '~') {
        const std::size_t slash = typed.find('/');
        const std::string user = typed.substr(1, slash == std::string::npos ? slash : slash - 1);
        const char* home = nullptr;
        if (user.empty()) {
            home = std::getenv("HOME");
        } else if (const passwd* pw = ::getpwnam(user.c_str())) {
            home = pw->pw_dir;
        }
        if (home) {
            out = home;
            at = slash == std::string::npos ? typed.size() : slash;
        }
    }
    while (at < typed.size()) {
        std::size_t end = at + 1;
        if (typed[at] == '$')
            while (end < typed.size() && nameCharacter(typed[end])) ++end;
        const char* value =
            end > at + 1 ? std::getenv(typed.substr(at + 1, end - at - 1).c_str()) : nullptr;
        if (value)
            out += value;
        else
            out.append(typed, at, end - at);
        at = end;
    }
    return out;
}

}  // namespace

std::string typedNameToPath(const std::string& typed, const std::string& folder) {
    std::string name = expanded(typed);
    if ((name.empty() || name[0] != '/') && !folder.empty() && folder != ".")
        name = folder + "/" + name;
    if (name.empty() || name[0] != '/') {
        // A working folder that was removed has no path any more: nothing can be found there.
        std::error_code error;
        const std::filesystem::path here = std::filesystem::current_path(error);
        if (error) throw CommandFailure::fromErrno(error.value(), name.empty() ? "." : name);
        name = here.string() + "/" + name;
    }
    // Resolved by name as the dialog shows them, keeping a trailing slash.
    std::vector<std::string> levels;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        const std::string level = name.substr(start, end - start);
        if (level == "..") {
            if (!levels.empty()) levels.pop_back();
        } else if (!level.empty() && level != ".") {
            levels.push_back(level);
        }
        start = end + 1;
    }
    std::string path;
    for (const auto& level : levels) path += "/" + level;
    if (path.empty() || name.back() == '/') path += '/';
    return path;
}

}  // namespace vexa
