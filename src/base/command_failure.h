// CommandFailure: the program's one family of raised failures. A command raises it where
// the failure happens; the window's command dispatch catches it and shows its message once.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

namespace vexa {

enum class FailureCategory {
    FileError,
    UnsupportedFormat,
    ResourceUnavailable,
    OutOfMemory,
    SilentFailure,
};

// The kinds of file error; each number picks its message from the table in
// command_failure.cpp.
enum class FileErrorKind {
    noError = 0,
    generalError = 1,
    notFound = 2,
    invalidPath = 3,
    tooManyOpenFiles = 4,
    accessDenied = 5,
    invalidHandle = 6,
    isCurrentDirectory = 7,
    directoryFull = 8,
    seekFailed = 9,
    hardwareError = 10,
    sharingViolation = 11,
    lockViolation = 12,
    diskFull = 13,
    pastEnd = 14,
};

enum class MessageIcon { stop, exclamation };

class CommandFailure : public std::runtime_error {
  public:
    explicit CommandFailure(FailureCategory category);
    // A file error; without a path its message names "an unnamed file".
    CommandFailure(FileErrorKind kind, std::optional<std::string> path);

    static CommandFailure unsupportedFormat() {
        return CommandFailure(FailureCategory::UnsupportedFormat);
    }
    static CommandFailure resourceUnavailable() {
        return CommandFailure(FailureCategory::ResourceUnavailable);
    }
    static CommandFailure outOfMemory() { return CommandFailure(FailureCategory::OutOfMemory); }
    static CommandFailure silent() { return CommandFailure(FailureCategory::SilentFailure); }
    // A file error for the POSIX error number `errnum`.
    static CommandFailure fromErrno(int errnum, std::optional<std::string> path);
    // The file error for what the C++ library reports about the system (a filesystem_error,
    // a system_error, a stream's failure): the kind of its error number (a general error
    // for a code that is no error number), naming the path a filesystem_error names.
    static CommandFailure fromSystemError(const std::system_error& error);

    FailureCategory category() const { return category_; }
    FileErrorKind fileErrorKind() const { return kind_; }
    const std::optional<std::string>& path() const { return path_; }

    // The text the user sees; empty for SilentFailure.
    std::string message() const { return what(); }
    MessageIcon icon() const;
    bool shown() const { return category_ != FailureCategory::SilentFailure; }

  private:
    FailureCategory category_;
    FileErrorKind kind_ = FileErrorKind::noError;
    std::optional<std::string> path_;
};

// The message of a file error kind with "%1" replaced by the path, or by
// "an unnamed file" when there is none.
std::string fileErrorMessage(FileErrorKind kind, const std::optional<std::string>& path);

// The file error kind that a POSIX error number stands for.
FileErrorKind classifyErrno(int errnum);

}  // namespace vexa
