// How the registry file store meets its file: it reads only a regular file, never waits on
// one (a FIFO or device in its place is left alone), reads at most a bounded size, and tells
// by identity, size and times whether the file is still the one it read.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <string>

#include "platform/registry.h"

namespace vexa {

enum class StoreFileKind { absent, regular, unusable };

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::timespec modified{};
    std::timespec changed{};
    bool operator==(const FileIdentity& other) const;
};

// The kind of what `path` names (through links) and, for a regular file, its identity.
StoreFileKind statStoreFile(const std::string& path, FileIdentity& identity);

struct StoreFileContents {
    StoreFileKind kind = StoreFileKind::absent;
    FileIdentity identity;
    std::string text;
    // A regular file longer than `limit`: nothing of it was read.
    bool tooLarge = false;
};

// Opens `path` without blocking and reads it when it is a regular file of at most `limit`
// bytes. Anything else that exists is `unusable`, with success.
RegResult readStoreFile(const std::string& path, std::size_t limit, StoreFileContents& out);

// Keeps the file `path` (through links) aside under a new name path + ".corrupt-<stamp>" by
// a second link to it, for files too large to hold in memory. Fails rather than lose it.
RegResult keepAsideByLink(const std::string& path);

}  // namespace vexa
