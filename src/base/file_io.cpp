#include "base/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "base/command_failure.h"
#include "base/file_paths.h"

namespace vexa {
namespace {

// Refuses targets that a save must not replace: folders and other non-regular files,
// and files the user may not write.
void checkReplaceable(const std::string& target, const std::string& path) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return;  // a new file; the folder decides
    if (S_ISDIR(st.st_mode)) throw CommandFailure(FileErrorKind::accessDenied, path);
    if (!S_ISREG(st.st_mode)) throw CommandFailure(FileErrorKind::generalError, path);
    if (::access(target.c_str(), W_OK) != 0) throw CommandFailure::fromErrno(errno, path);
}

// A new hidden name in the folder of `target`, for the temporary file.
template <typename Create>
int createUnique(const std::string& target, std::string& name, Create create) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folderOf(target) + "/.vexa-save-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter++) + ".tmp";
        const int result = create(name);
        if (result >= 0 || errno != EEXIST) return result;
    }
    return -1;
}

int createTemporary(const std::string& target, TemporaryName temporary, mode_t mode,
                    std::string& name) {
    if (temporary == TemporaryName::fixed) {
        name = target + ".tmp";
        return ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    }
    if (temporary == TemporaryName::unnamed) {
        name.clear();
        const int fd = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
    }
    return createUnique(target, name, [mode](const std::string& candidate) {
        return ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    });
}

}  // namespace

SaveFile::SaveFile(std::string path, TemporaryName temporary, unsigned newFileMode)
    : path_(std::move(path)), target_(linkTarget(path_)) {
    checkReplaceable(target_, path_);
    fd_ = createTemporary(target_, temporary, static_cast<mode_t>(newFileMode), temp_);
    unnamed_ = fd_ >= 0 && temp_.empty();
    if (fd_ < 0) {
        const int error = errno;
        temp_.clear();
        // A folder that takes no new file may still hold a file the user may write: that
        // file is then truncated and written in place, without the safety of a copy.
        if ((error == EACCES || error == EPERM) && temporary != TemporaryName::unnamed) {
            fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
            if (fd_ >= 0) return;
        }
        throw CommandFailure::fromErrno(error, path_);
    }
    // A replaced file keeps its permissions; a new one gets the usual 0666 less umask.
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) (void)::fchmod(fd_, st.st_mode & 07777);
}

SaveFile::~SaveFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

void SaveFile::fail(int errnum) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    throw CommandFailure::fromErrno(errnum, path_);
}

void SaveFile::write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail(errno);
        if (n == 0) fail(ENOSPC);  // nothing written: the disk took no more
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
}

void SaveFile::write(std::string_view text) {
    write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void SaveFile::commit() {
    if (::fsync(fd_) != 0) fail(errno);
    if (unnamed_) {
        // The name comes last, through the open file's entry in /proc, which needs no
        // privilege that linking the descriptor itself would.
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        if (createUnique(target_, temp_, [&](const std::string& candidate) {
                return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(),
                                AT_SYMLINK_FOLLOW);
            }) != 0) {
            const int error = errno;
            temp_.clear();
            fail(error);
        }
        unnamed_ = false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail(errno);
    if (temp_.empty()) return;  // written in place
    if (::rename(temp_.c_str(), target_.c_str()) != 0) fail(errno);
    temp_.clear();
    // Make the rename itself durable; the new file is complete either way.
    const int dir = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

namespace {

void checkLoadable(const struct stat& st, const std::string& path) {
    if (S_ISDIR(st.st_mode)) throw CommandFailure(FileErrorKind::accessDenied, path);
    if (!S_ISREG(st.st_mode)) throw CommandFailure(FileErrorKind::generalError, path);
}

}  // namespace

std::vector<std::uint8_t> readFileStart(const std::string& path, std::size_t maxBytes) {
    // Look before opening, so that devices and FIFOs are never opened at all; check again
    // on the open file in case the path changed in between. O_NONBLOCK keeps that open
    // from waiting for a FIFO's writer.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw CommandFailure::fromErrno(errno, path);
    checkLoadable(st, path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw CommandFailure::fromErrno(errno, path);
    std::vector<std::uint8_t> bytes;
    try {
        if (::fstat(fd, &st) != 0) throw CommandFailure::fromErrno(errno, path);
        checkLoadable(st, path);
        // Room for the whole file and one byte more, to see its end in one read; it grows
        // should the file grow meanwhile.
        const auto size = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0));
        bytes.resize(size < maxBytes ? size + 1 : maxBytes);
        std::size_t got = 0;
        while (got < maxBytes) {
            if (got == bytes.size()) bytes.resize(std::min(maxBytes, 2 * got));
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw CommandFailure::fromErrno(errno, std::nullopt);
            if (n == 0) break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return bytes;
}

}  // namespace vexa
