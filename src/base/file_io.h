// The file system side of saving and loading. A save never destroys the file it
// replaces: the bytes go to a temporary file in the same folder, which is flushed to disk
// and renamed over the target only when everything was written; on any failure the
// temporary file is removed and the old file stays as it was. Only when the folder takes
// no new file but the target may be written is the target written in place. Loading
// opens only regular files and never blocks on a FIFO. Failures are CommandFailure file
// errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// How a save names its temporary file.
enum class TemporaryName {
    unique,  // a new hidden file for every save, never over another file
    // path + ".tmp", truncated: for a writer whose lock keeps every other writer out; one
    // left behind by a killed writer is taken over instead of piling up.
    fixed,
    // A file without a name in the folder, given one only by commit(): a writer killed
    // before then leaves nothing behind. Never written in place. Where the file system has
    // no such files, as `unique`.
    unnamed,
};

class SaveFile {
  public:
    // Creates the temporary file next to `path`; a new file gets `newFileMode` less the
    // umask, a replaced one keeps its mode. Throws a FileError naming `path` when the
    // target is a folder or write-protected, or the temporary file cannot be created.
    explicit SaveFile(std::string path, TemporaryName temporary = TemporaryName::unique,
                      unsigned newFileMode = 0666);
    // Removes the temporary file unless commit() succeeded.
    ~SaveFile();

    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    // Appends bytes. A full disk is "Disk full while accessing <path>."; other write
    // errors are the kind their error number maps to, with the path.
    void write(std::span<const std::uint8_t> bytes);
    void write(std::string_view text);

    // Flushes the bytes to disk and renames the temporary file over the target.
    void commit();

    const std::string& path() const { return path_; }

  private:
    [[noreturn]] void fail(int errnum);

    std::string path_;    // as the user named it, for messages
    std::string target_;  // the file that is replaced (a symbolic link is followed)
    std::string temp_;
    int fd_ = -1;
    bool unnamed_ = false;  // fd_ is a file without a name yet
};

// Up to `maxBytes` bytes from the start of the file at `path`. A folder is refused as
// access denied, anything else that is not a regular file as a general error, both
// naming the path; an open failure names the path, a read failure does not.
std::vector<std::uint8_t> readFileStart(const std::string& path, std::size_t maxBytes);

}  // namespace vexa
