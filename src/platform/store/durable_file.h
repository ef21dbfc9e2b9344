// Whole-file I/O for the registry file store: replacing a file so that a crash
// leaves either the old or the new contents (through SaveFile), keeping a copy aside, and an
// exclusive lock on the folder that serialises the writers. Errors come back as registry
// results, from the one errno classification of base.
#pragma once

#include <functional>
#include <string>

#include "base/command_failure.h"
#include "platform/registry.h"

namespace vexa {

// The registry result of a file error, and of a POSIX error number.
RegResult resultFromFileError(FileErrorKind kind);
RegResult resultFromErrno(int error);

// mkdir -p; folders it makes are private to the user. Returns 0 or an errno value.
int makeFolders(const std::string& folder);

// Writes `text` to path + ".tmp", flushes it and renames it over `path`, keeping the mode
// of the file it replaces (a new one is private to the user). When `path` is a symbolic
// link, the file it points to is replaced and the link kept. Call it under a FolderLock.
RegResult replaceFile(const std::string& path, const std::string& text);

// Keeps something aside under a new name path + ".corrupt-<date>-<time>": calls `create` with
// that name, and again with "-1", "-2", ... added while it answers EEXIST, so that one copy
// never replaces another. `create` makes the file under the name it is given and answers 0,
// or the errno value of its failure.
RegResult createAside(const std::string& path,
                      const std::function<int(const std::string&)>& create);

// Writes `text`, flushed, to a new file path + ".corrupt-<date>-<time>", never over another.
RegResult keepAside(const std::string& path, const std::string& text);

// An exclusive flock on a folder, held until destruction. Waits for it a second and a half
// at most, then fails with ERROR_ACCESS_DENIED.
class FolderLock {
  public:
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    RegResult result() const { return result_; }

  private:
    int fd_ = -1;
    RegResult result_ = ERROR_SUCCESS;
};

}  // namespace vexa
