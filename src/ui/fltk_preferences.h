// FLTK keeps preferences of its own in $HOME/.fltk (its options, and the file chooser's
// preview switch and favourites) and writes them whenever it opens them. Vexa keeps no
// configuration besides its registry store, so FLTK's user preferences are opened where
// no file can be created.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace vexa {

// Runs `open` (code that constructs FLTK preferences, which take their file name when
// constructed) with FLTK's per-user preferences pointed at a path that cannot exist.
template <typename Open>
auto withoutFltkUserPreferences(Open&& open) {
    const char* home = std::getenv("HOME");
    const std::optional<std::string> saved = home ? std::optional<std::string>(home) : std::nullopt;
    // No directory can be made below a device file, not even by root.
    setenv("HOME", "/dev/null", 1);
    struct Restore {
        const std::optional<std::string>& saved;
        ~Restore() {
            if (saved)
                setenv("HOME", saved->c_str(), 1);
            else
                unsetenv("HOME");
        }
    } restore{saved};
    return std::forward<Open>(open)();
}

// Reads FLTK's options once, without the per-user file; FLTK keeps them for the run.
void readFltkOptionsWithoutUserFile();

}  // namespace vexa
