// The decisions of the Save As and Open dialogs, apart from the dialogs themselves: which
// name a typed entry finally stands for, and what the dialog must ask or refuse before it
// hands that name to a command. The file system is asked through a probe so that the rules
// run without touching the disk.
#pragma once

#include <functional>
#include <string>

#include "base/file_paths.h"

namespace vexa {

// What the file system knows about one path.
struct PathFacts {
    bool exists = false;
    bool isDirectory = false;
    // The system cannot take the path at all (too long, a file used as a folder).
    bool invalid = false;
};
using PathProbe = std::function<PathFacts(const std::string& path)>;

// The extension Save As gives a name without one, and that Open tries for a name that does
// not exist as typed.
inline constexpr const char* kDefaultExtension = "bmp";

// `path` with "." and `extension` appended when its final name has no extension.
std::string withDefaultExtension(const std::string& path, const std::string& extension);

enum class DialogStep {
    accept,             // hand `path` to the command
    askReplace,         // `path` exists: ask before replacing it
    askCreate,          // `path` does not exist yet: ask before creating it
    enterFolder,        // `path` is a folder: show its contents and let the user go on
    refuseNoFolder,     // the folder of `path` does not exist
    refuseNoFile,       // Open: `path` does not exist
    refuseEmpty,        // nothing was chosen
    refuseInvalidPath,  // the system cannot take `path` as a file name
};

struct DialogDecision {
    DialogStep step = DialogStep::refuseEmpty;
    std::string path;  // the final name the step is about
};

// Save As: a name typed without an extension gets `defaultExtension`; the result is then
// asked about before it is replaced or created.
DialogDecision decideSaveName(const std::string& chosen, const std::string& defaultExtension,
                              const PathProbe& probe);

// Open: only an existing file in an existing folder is accepted. A name typed without an
// extension that does not exist as typed is looked for with `defaultExtension` added.
DialogDecision decideOpenName(const std::string& chosen, const std::string& defaultExtension,
                              const PathProbe& probe);

// The texts of the questions and refusals the dialogs show for a decision.
std::string dialogQuestionText(const DialogDecision& decision);

// The probe that asks the real file system.
PathFacts probeFileSystem(const std::string& path);

}  // namespace vexa
