#include "platform/store/durable_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <utility>

#include "base/file_io.h"

namespace vexa {

namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

bool writeAll(int fd, const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Writes, flushes and closes; false with errno set on the first failure.
bool writeFlushed(Descriptor& fd, const std::string& text) {
    if (!writeAll(fd.get(), text) || ::fsync(fd.get()) != 0) return false;
    return ::close(fd.release()) == 0;
}

}  // namespace

RegResult resultFromFileError(FileErrorKind kind) {
    switch (kind) {
        case FileErrorKind::noError:
            return ERROR_SUCCESS;
        case FileErrorKind::accessDenied:
            return ERROR_ACCESS_DENIED;
        case FileErrorKind::diskFull:
            return ERROR_DISK_FULL;
        default:
            return ERROR_REGISTRY_IO_FAILED;
    }
}

RegResult resultFromErrno(int error) {
    return resultFromFileError(classifyErrno(error));
}

int makeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) return 0;
    }
}

RegResult replaceFile(const std::string& path, const std::string& text) {
    try {
        SaveFile file(path, TemporaryName::fixed, 0600);
        file.write(text);
        file.commit();
        return ERROR_SUCCESS;
    } catch (const CommandFailure& failure) {
        return resultFromFileError(failure.fileErrorKind());
    }
}

RegResult createAside(const std::string& path,
                      const std::function<int(const std::string&)>& create) {
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    for (int n = 0; n < 1000; ++n) {
        std::string name = path + ".corrupt-" + stamp + (n ? "-" + std::to_string(n) : "");
        int error = create(name);
        if (error == EEXIST) continue;
        return error ? resultFromErrno(error) : ERROR_SUCCESS;
    }
    return ERROR_REGISTRY_IO_FAILED;
}

RegResult keepAside(const std::string& path, const std::string& text) {
    return createAside(path, [&text](const std::string& name) {
        Descriptor fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.get() < 0) return errno;
        if (!writeFlushed(fd, text)) {
            int error = errno;
            ::unlink(name.c_str());
            return error;
        }
        return 0;
    });
}

FolderLock::FolderLock(const std::string& folder)
    : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ < 0) {
        result_ = resultFromErrno(errno);
        return;
    }
    // Another holder that never lets go must not hang this program: after the wait the
    // store counts as one that cannot be written.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    auto pause = std::chrono::milliseconds(1);
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            result_ = resultFromErrno(errno);
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            result_ = ERROR_ACCESS_DENIED;
            return;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace vexa
