#include "base/command_failure.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <initializer_list>

namespace vexa {
namespace {

const char* const kFileErrorTexts[] = {
    "No error occurred.",
    "An unknown error occurred while accessing %1.",
    "%1 was not found.",
    "%1 contains an invalid path.",
    "%1 could not be opened because there are too many open files.",
    "Access to %1 was denied.",
    "An invalid file handle was associated with %1.",
    "%1 could not be removed because it is the current directory.",
    "%1 could not be created because the directory is full.",
    "Seek failed on %1",
    "A hardware I/O error was reported while accessing %1.",
    "A sharing violation occurred while accessing %1.",
    "A locking violation occurred while accessing %1.",
    "Disk full while accessing %1.",
    "An attempt was made to access %1 past its end.",
};

std::string categoryMessage(FailureCategory category) {
    switch (category) {
        case FailureCategory::UnsupportedFormat:
            return "An unsupported operation was attempted.";
        case FailureCategory::ResourceUnavailable:
            return "A required resource was unavailable.";
        case FailureCategory::OutOfMemory:
            return "Out of memory.";
        case FailureCategory::FileError:
            return fileErrorMessage(FileErrorKind::generalError, std::nullopt);
        case FailureCategory::SilentFailure:
            break;
    }
    return {};
}

}  // namespace

std::string fileErrorMessage(FileErrorKind kind, const std::optional<std::string>& path) {
    auto index = static_cast<std::size_t>(kind);
    if (index >= std::size(kFileErrorTexts)) index = 1;
    std::string text = kFileErrorTexts[index];
    const std::string name = path ? *path : std::string("an unnamed file");
    if (auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, name);
    return text;
}

FileErrorKind classifyErrno(int errnum) {
    // The error numbers of each kind; any other number is a general error.
    struct Group {
        FileErrorKind kind;
        std::initializer_list<int> errnums;
    };
    static const Group groups[] = {
        {FileErrorKind::notFound, {ENOENT}},
        {FileErrorKind::invalidPath, {ENOTDIR, ENAMETOOLONG, ELOOP}},
        {FileErrorKind::tooManyOpenFiles, {EMFILE, ENFILE}},
        {FileErrorKind::accessDenied, {EACCES, EPERM, EROFS, EEXIST, EISDIR}},
        {FileErrorKind::diskFull, {ENOSPC, EDQUOT}},
        {FileErrorKind::hardwareError, {EIO}},
        {FileErrorKind::sharingViolation, {ETXTBSY, EBUSY}},
    };
    for (const Group& group : groups)
        if (std::find(group.errnums.begin(), group.errnums.end(), errnum) != group.errnums.end())
            return group.kind;
    return FileErrorKind::generalError;
}

CommandFailure::CommandFailure(FailureCategory category)
    : std::runtime_error(categoryMessage(category)),
      category_(category),
      kind_(category == FailureCategory::FileError ? FileErrorKind::generalError
                                                   : FileErrorKind::noError) {}

CommandFailure::CommandFailure(FileErrorKind kind, std::optional<std::string> path)
    : std::runtime_error(fileErrorMessage(kind, path)),
      category_(FailureCategory::FileError),
      kind_(kind),
      path_(std::move(path)) {}

CommandFailure CommandFailure::fromErrno(int errnum, std::optional<std::string> path) {
    return CommandFailure(classifyErrno(errnum), std::move(path));
}

CommandFailure CommandFailure::fromSystemError(const std::system_error& error) {
    const std::error_code code = error.code();
    const bool errnoCode =
        code.category() == std::generic_category() || code.category() == std::system_category();
    std::optional<std::string> path;
    if (const auto* fs = dynamic_cast<const std::filesystem::filesystem_error*>(&error);
        fs && !fs->path1().empty())
        path = fs->path1().string();
    return CommandFailure(errnoCode ? classifyErrno(code.value()) : FileErrorKind::generalError,
                          std::move(path));
}

MessageIcon CommandFailure::icon() const {
    return category_ == FailureCategory::OutOfMemory ? MessageIcon::exclamation : MessageIcon::stop;
}

}  // namespace vexa
