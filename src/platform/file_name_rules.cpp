#include "platform/file_name_rules.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "base/command_failure.h"

namespace vexa {
namespace {

// What both dialogs do with a typed name that is a folder or names no file; nothing when the
// name goes on to the dialog's own rules.
std::optional<DialogDecision> folderOrNoName(const std::string& chosen, const PathFacts& typed) {
    if (typed.isDirectory) return DialogDecision{DialogStep::enterFolder, chosen};
    if (fileName(chosen).empty()) return DialogDecision{DialogStep::refuseEmpty, chosen};
    return std::nullopt;
}

}  // namespace

std::string withDefaultExtension(const std::string& path, const std::string& extension) {
    // A name that already has a dot, even a trailing one, keeps exactly what was typed.
    const std::string name = fileName(path);
    if (name.empty() || name.find('.') != std::string::npos || extension.empty()) return path;
    return path + "." + extension;
}

DialogDecision decideSaveName(const std::string& chosen, const std::string& defaultExtension,
                              const PathProbe& probe) {
    if (chosen.empty()) return {DialogStep::refuseEmpty, chosen};
    const PathFacts typed = probe(chosen);
    if (typed.invalid) return {DialogStep::refuseInvalidPath, chosen};
    if (auto decision = folderOrNoName(chosen, typed)) return *decision;

    const std::string path = withDefaultExtension(chosen, defaultExtension);
    const PathFacts folder = probe(folderOf(path));
    if (folder.invalid) return {DialogStep::refuseInvalidPath, chosen};
    if (!folder.isDirectory) return {DialogStep::refuseNoFolder, path};
    const PathFacts target = path == chosen ? typed : probe(path);
    if (target.invalid) return {DialogStep::refuseInvalidPath, chosen};
    if (target.isDirectory) return {DialogStep::enterFolder, path};
    return {target.exists ? DialogStep::askReplace : DialogStep::askCreate, path};
}

DialogDecision decideOpenName(const std::string& chosen, const std::string& defaultExtension,
                              const PathProbe& probe) {
    if (chosen.empty()) return {DialogStep::refuseEmpty, chosen};
    const PathFacts typed = probe(chosen);
    if (typed.invalid) return {DialogStep::refuseInvalidPath, chosen};
    if (auto decision = folderOrNoName(chosen, typed)) return *decision;
    if (typed.exists) return {DialogStep::accept, chosen};

    const std::string path = withDefaultExtension(chosen, defaultExtension);
    const PathFacts folder = probe(folderOf(path));
    if (folder.invalid) return {DialogStep::refuseInvalidPath, chosen};
    if (!folder.isDirectory) return {DialogStep::refuseNoFolder, path};
    if (path != chosen) {
        const PathFacts extended = probe(path);
        if (extended.isDirectory) return {DialogStep::enterFolder, path};
        if (extended.exists) return {DialogStep::accept, path};
    }
    return {DialogStep::refuseNoFile, path};
}

std::string dialogQuestionText(const DialogDecision& decision) {
    const std::string& path = decision.path;
    switch (decision.step) {
        case DialogStep::askReplace:
            return path + " already exists.\nDo you want to replace it?";
        case DialogStep::askCreate:
            return path + " does not exist.\nDo you want to create it?";
        case DialogStep::refuseNoFolder:
            return folderOf(path) + "\nThis folder does not exist.\nCheck the path and try again.";
        case DialogStep::refuseNoFile:
            return path + "\nFile not found.\nCheck the file name and try again.";
        case DialogStep::refuseEmpty:
            return "Type a file name or choose a file from the list.";
        case DialogStep::refuseInvalidPath:
            return fileErrorMessage(FileErrorKind::invalidPath, path);
        case DialogStep::accept:
        case DialogStep::enterFolder:
            break;
    }
    return {};
}

PathFacts probeFileSystem(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        PathFacts facts;
        facts.invalid = errno == ENAMETOOLONG || errno == ENOTDIR;
        return facts;
    }
    return {true, S_ISDIR(info.st_mode)};
}

}  // namespace vexa
