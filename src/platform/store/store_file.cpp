#include "platform/store/store_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/file_paths.h"
#include "platform/store/durable_file.h"

namespace vexa {

namespace {

bool sameTime(const std::timespec& a, const std::timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

FileIdentity identityOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

StoreFileKind kindOf(const struct stat& st) {
    return S_ISREG(st.st_mode) ? StoreFileKind::regular : StoreFileKind::unusable;
}

}  // namespace

bool FileIdentity::operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           sameTime(modified, other.modified) && sameTime(changed, other.changed);
}

StoreFileKind statStoreFile(const std::string& path, FileIdentity& identity) {
    identity = {};
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return StoreFileKind::absent;
    identity = identityOf(st);
    return kindOf(st);
}

RegResult readStoreFile(const std::string& path, std::size_t limit, StoreFileContents& out) {
    out = {};
    // Checked before opening too: opening some devices has effects of its own.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? ERROR_SUCCESS : resultFromErrno(errno);
    }
    out.kind = kindOf(st);
    if (out.kind != StoreFileKind::regular) return ERROR_SUCCESS;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        out.kind = StoreFileKind::absent;
        return errno == ENOENT ? ERROR_SUCCESS : resultFromErrno(errno);
    }
    RegResult result = ERROR_SUCCESS;
    // The file may have been swapped for something else between the two looks.
    if (::fstat(fd, &st) != 0) {
        result = resultFromErrno(errno);
    } else if ((out.kind = kindOf(st)) == StoreFileKind::regular) {
        out.identity = identityOf(st);
        if (static_cast<std::size_t>(st.st_size) > limit) {
            out.tooLarge = true;
        } else {
            out.text.resize(static_cast<std::size_t>(st.st_size));
            std::size_t have = 0;
            for (;;) {
                if (have == out.text.size()) {
                    // Grown since fstat: read on, up to the limit.
                    if (out.text.size() > limit) {
                        out.tooLarge = true;
                        out.text.clear();
                        break;
                    }
                    out.text.resize(have + 65536);
                }
                ssize_t n = ::read(fd, out.text.data() + have, out.text.size() - have);
                if (n == 0) break;
                if (n > 0) {
                    have += static_cast<std::size_t>(n);
                } else if (errno != EINTR) {
                    result = resultFromErrno(errno);
                    break;
                }
            }
            if (!out.tooLarge) out.text.resize(have);
        }
    }
    ::close(fd);
    return result;
}

RegResult keepAsideByLink(const std::string& path) {
    const std::string target = linkTarget(path);
    return createAside(path, [&target](const std::string& name) {
        return ::link(target.c_str(), name.c_str()) == 0 ? 0 : errno;
    });
}

}  // namespace vexa
